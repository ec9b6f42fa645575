#include "HelpWindow.h"

#include "CloseKeys.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>

HelpWindow::HelpWindow(const QString &path, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Runlog Help"));
    resize(860, 600);

    auto *splitter = new QSplitter(this);
    m_contents = new QTreeWidget(splitter);
    m_contents->setHeaderLabel(QStringLiteral("Contents"));
    m_browser = new QTextBrowser(splitter);
    m_browser->setOpenExternalLinks(false);
    splitter->setStretchFactor(1, 3);
    m_contents->setAccessibleName(QStringLiteral("Contents"));
    m_browser->setAccessibleName(QStringLiteral("Help Text"));
    CloseKeys::install(*this, [this] { close(); }, CloseKeys::Escape::Add);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_browser->setPlainText(QStringLiteral("The help file %1 is not beside the program.").arg(path));
        return;
    }
    const QString html = QString::fromUtf8(file.readAll());
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(html);

    // The table of contents: every h2 and h3 that carries an id.
    static const QRegularExpression heading(QStringLiteral("<h([23])\\s+id=\"([^\"]+)\"[^>]*>(.*?)</h\\1>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QTreeWidgetItem *chapter = nullptr;
    for (auto it = heading.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString title = m.captured(3);
        title.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        QTreeWidgetItem *item = (m.captured(1) == QLatin1String("3") && chapter)
                                    ? new QTreeWidgetItem(chapter, {title})
                                    : new QTreeWidgetItem(m_contents, {title});
        if (m.captured(1) == QLatin1String("2"))
            chapter = item;
        item->setData(0, Qt::UserRole, m.captured(2));
    }
    m_contents->expandAll();
    connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            m_browser->scrollToAnchor(item->data(0, Qt::UserRole).toString());
    });
}
