#include "SplashWindow.h"

#include "session/Configuration.h"
#include "printing/Twips.h"
#include "link/StepRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include <functional>
#include <optional>

namespace {
QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QString &family, double points,
                  bool bold, bool italic = false)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    label->setFont(font);
    return label;
}
}  // namespace

SplashWindow::SplashWindow(Configuration &config, Prompt &prompt, const QString &configPath,
                           const QString &programDir, QWidget *parent)
    // An empty caption and no control box: a dialog border without a title bar (a window
    // manager would otherwise put the program's name in the caption).
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmRunlog_Splash"));
    setModal(true);
    const QRect client = Twips::rect(this, 0, 0, 7164, 3732);
    auto *border = new QFrame(this);
    border->setFrameStyle(QFrame::Panel | QFrame::Raised);
    border->setLineWidth(BorderPx);
    border->setGeometry(0, 0, client.width() + 2 * BorderPx, client.height() + 2 * BorderPx);
    setFixedSize(border->size());
    auto *area = new QWidget(border);
    area->setGeometry(client.translated(BorderPx, BorderPx));

    m_frame = new QFrame(area);
    m_frame->setObjectName(QStringLiteral("fraSplash"));
    m_frame->setFrameShape(QFrame::Box);
    Twips::place(m_frame, 30, 0, 7065, 3690);

    m_logo = new QLabel(m_frame);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    Twips::place(m_logo, 360, 600, 1485, 900);

    m_companyName =
        makeLabel(m_frame, "lblCompanyName", QStringLiteral("Korvane"), QStringLiteral("Arial"), 48, true, true);
    m_companyName->setWordWrap(true);
    Twips::place(m_companyName, 2400, 480, 4470, 1215);

    auto *product = makeLabel(m_frame, "lblProductName", QStringLiteral("Runlog"), QStringLiteral("Arial"), 20.4, true);
    product->setWordWrap(true);
    Twips::place(product, 3600, 1800, 3165, 960);
    product->adjustSize();

    auto *version = makeLabel(m_frame, "lblVersion", QStringLiteral("Version 7.0"), QStringLiteral("Arial"), 12, true);
    Twips::place(version, 3600, 2880, 1272, 288);
    version->adjustSize();

    auto *notice = makeLabel(m_frame, "lblCopyright", Configuration::notice(), QStringLiteral("Arial"), 8.4, false);
    Twips::place(notice, 3600, 3240, 3132, 252);

    load(config, prompt, configPath, programDir);

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    m_unload.setParent(this);
    m_unload.setObjectName(QStringLiteral("tmrUnload"));
    m_unload.setSingleShot(true);
    m_unload.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5% early
    m_unload.setInterval(ShowMs);
    connect(&m_unload, &QTimer::timeout, this, &QDialog::accept);
    m_unload.start();
}

void SplashWindow::load(Configuration &config, Prompt &prompt, const QString &configPath, const QString &programDir)
{
    StepRunner s(prompt);
    s.operation([&] {
        Configuration::read(configPath, s, config);

        // Each branding step reads its line and sets its property in one: a missing line
        // fails that step, and Ignore leaves the property at its design value.
        QFont font = m_companyName->font();
        const auto apply = [&](int n, const std::function<void(const QString &)> &set) {
            s.step([&] {
                if (config.BrandingLines.size() < n)
                    return failed(QStringLiteral("Subscript out of range"));
                set(config.BrandingLines[n - 1]);
                m_companyName->setFont(font);
                return succeeded();
            });
        };
        apply(1, [&](const QString &text) { m_companyName->setText(text); });
        apply(2, [&](const QString &face) { font.setFamily(face); });
        // A size line without a number keeps the design size rather than an invisible banner.
        apply(3, [&](const QString &size) {
            if (const double points = Configuration::leadingNumber(size); points > 0)
                font.setPointSizeF(points);
        });
        apply(4, [&](const QString &style) { font.setBold(style.contains(QLatin1String("bold"), Qt::CaseInsensitive)); });
        apply(4, [&](const QString &style) {
            font.setItalic(style.contains(QLatin1String("italic"), Qt::CaseInsensitive));
        });

        std::optional<QString> picture;
        apply(5, [&](const QString &line) { picture = line; });
        if (picture && picture->toUpper() != QLatin1String("NULL")) {
            s.step([&] {
                const QString path = QDir(programDir).filePath(*picture);
                if (!QFile::exists(path))
                    return failed(QStringLiteral("File not found: ") + path);
                if (!QFileInfo(path).isFile())  // a FIFO would hang the start
                    return failed(QStringLiteral("Not a picture file: ") + path);
                QImageReader reader(path);
                const QImage image = reader.read();
                if (image.isNull())
                    return failed(QStringLiteral("Invalid picture: ") + reader.errorString());
                m_logo->setPixmap(QPixmap::fromImage(image));
                m_logo->resize(image.size());
                return succeeded();
            });
        }
    });
}

void SplashWindow::keyPressEvent(QKeyEvent *event)
{
    event->accept();  // the splash answers to no key
}
