#include "ConflictDialog.h"

#include "CloseKeys.h"
#include "stats/NumberFormat.h"

#include <QDialogButtonBox>
#include <QLocale>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ConflictDialog::ConflictDialog(const EngineConflict &conflict, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("conflictDialog"));
    setWindowTitle(QStringLiteral("Engine Edited on Two Benches"));
    auto *text = new QLabel(QStringLiteral("The details of engine %1 were changed on two benches at once, and both "
                                           "versions are kept. Choose the one to keep: it replaces the others on "
                                           "every bench at the next sync.")
                                .arg(conflict.engine),
                            this);
    text->setWordWrap(true);
    m_versions = new QListWidget(this);
    m_versions->setObjectName(QStringLiteral("conflictVersions"));
    m_versions->setAccessibleName(QStringLiteral("Versions"));
    for (const EngineVersion &v : conflict.versions) {
        auto *item = new QListWidgetItem(
            QStringLiteral("%1 - owner %2 - service interval %3 - notes \"%4\"  (version %5, %6, %7)")
                .arg(v.name, v.owner.isEmpty() ? QStringLiteral("none") : v.owner,
                     v.serviceInterval ? NumberFormat::hours(float(*v.serviceInterval)) + QStringLiteral(" h")
                                       : QStringLiteral("none"),
                     v.notes)
                .arg(v.id)
                .arg(v.bench, QLocale().toString(v.changedAt.toLocalTime(), QLocale::ShortFormat)),
            m_versions);
        item->setData(Qt::UserRole, v.id);
    }
    m_versions->setCurrentRow(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *keep = buttons->addButton(QStringLiteral("&Keep This One"), QDialogButtonBox::AcceptRole);
    keep->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_versions, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_versions);
    layout->addWidget(buttons);
    CloseKeys::install(*this, [this] { reject(); });
    resize(640, 300);
}

qint64 ConflictDialog::chosen() const
{
    const QListWidgetItem *item = m_versions->currentItem();
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}
