#include "LogbookDialog.h"

#include "CloseKeys.h"
#include "EnginesView.h"
#include "link/Prompt.h"
#include "logbook/Comparison.h"
#include "logbook/Logbook.h"
#include "reports/ComparisonReport.h"
#include "stats/NumberFormat.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Date, FirmwareID, UserData, TotalHours, EngineStarts, Reason, ColumnCount };
}

LogbookDialog::LogbookDialog(Logbook &logbook, Prompt &prompt, QWidget *parent)
    : QDialog(parent), m_logbook(logbook), m_prompt(prompt)
{
    setObjectName(QStringLiteral("logbookDialog"));
    setWindowTitle(QStringLiteral("Logbook"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("logbookFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter by firmware ID or user data"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setAccessibleName(QStringLiteral("Filter"));
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("logbookTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Firmware ID"), QStringLiteral("User Data"),
                                        QStringLiteral("Total Hours"), QStringLiteral("Engine Starts"),
                                        QStringLiteral("Kept")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setTabKeyNavigation(false);  // one tab stop; the arrows move inside
    m_table->setAccessibleName(QStringLiteral("Kept downloads"));
    m_comparison = new QPlainTextEdit(this);
    m_comparison->setAccessibleName(QStringLiteral("Comparison"));
    m_comparison->setReadOnly(true);
    m_comparison->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_comparison->setPlaceholderText(QStringLiteral("Select two downloads of one engine to see what it ran between them."));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *open = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::AcceptRole);
    open->setObjectName(QStringLiteral("logbookOpen"));
    connect(open, &QPushButton::clicked, this, &LogbookDialog::openSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    CloseKeys::install(*this, [this] { reject(); });
    connect(m_filter, &QLineEdit::textChanged, this, &LogbookDialog::refresh);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &LogbookDialog::compare);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &LogbookDialog::openSelected);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("logbookTabs"));
    m_tabs->setAccessibleName(QStringLiteral("Downloads and engines"));
    auto *downloads = new QWidget(m_tabs);
    auto *downloadsLayout = new QVBoxLayout(downloads);
    downloadsLayout->addWidget(m_filter);
    downloadsLayout->addWidget(m_table, 3);
    downloadsLayout->addWidget(m_comparison, 2);
    m_tabs->addTab(downloads, QStringLiteral("&Downloads"));
    m_engines = new EnginesView(logbook, prompt, m_tabs);
    m_tabs->addTab(m_engines, QStringLiteral("&Engines"));
    connect(m_engines, &EnginesView::openRequested, this, [this](const Download &d) {
        Q_EMIT openRequested(d);
        accept();
    });
    connect(m_engines, &EnginesView::enginesChanged, this, &LogbookDialog::enginesChanged);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(1180, 700);
    refresh();
}

void LogbookDialog::refresh()
{
    m_table->setRowCount(0);
    for (const Logbook::Entry &e : m_logbook.list(m_filter->text().trimmed())) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const QStringList texts{QLocale().toString(e.takenAt.toLocalTime(), QLocale::ShortFormat), e.firmwareID, e.userData,
                                NumberFormat::hours(e.totalHrs), NumberFormat::starts(e.engStarts), e.reason};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            item->setData(Qt::UserRole, e.id);
            if (c == TotalHours || c == EngineStarts)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, c, item);
        }
    }
    m_table->resizeColumnsToContents();
}

void LogbookDialog::openSelected()
{
    if (m_tabs->currentWidget() == m_engines) {
        m_engines->openSelected();
        return;
    }
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    if (const auto d = m_logbook.load(rows.first().data(Qt::UserRole).toLongLong())) {
        Q_EMIT openRequested(*d);
        accept();
    }
}

void LogbookDialog::compare()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    m_comparison->clear();
    if (rows.size() != 2)
        return;
    const auto c = m_logbook.compare(rows[0].data(Qt::UserRole).toLongLong(), rows[1].data(Qt::UserRole).toLongLong());
    if (!c)
        return;
    if (!c->sameEngine) {
        const QString note = ComparisonReport::differentEnginesNote(*c);
        if (m_prompt.message(note + QStringLiteral("\n\nCompare them anyway?"), QStringLiteral("Logbook"),
                             Box::YesNo | Box::Question | Box::DefaultButton2)
            != Box::Yes) {
            m_comparison->setPlainText(note);
            return;
        }
    }
    m_comparison->setPlainText(renderReportText(ComparisonReport::lines(*c)));
}

QString LogbookDialog::comparison() const
{
    return m_comparison->toPlainText();
}
