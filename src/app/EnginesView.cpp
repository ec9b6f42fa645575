#include "EnginesView.h"

#include "ConflictDialog.h"
#include "logbook/SyncStore.h"

#include "link/Prompt.h"
#include "logbook/Logbook.h"
#include "reports/EngineReport.h"
#include "stats/NumberFormat.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum EngineColumn { Number, Name, Owner, LastDownload, TotalHours, Service, EngineColumns };
enum HistoryColumn { Download_, Date, Hours, Ran, Starts, MaxRpm, SinceService, Status, Note, HistoryColumns };
constexpr char Title[] = "Engines";

QTableWidget *table(QWidget *parent, const char *name, const QStringList &headings)
{
    auto *t = new QTableWidget(0, int(headings.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headings);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setTabKeyNavigation(false);  // one tab stop; the arrows move inside
    return t;
}

void fill(QTableWidget *t, int row, const QStringList &texts, qint64 id, const QList<int> &rightAligned)
{
    for (int c = 0; c < texts.size(); ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        item->setData(Qt::UserRole, id);
        if (rightAligned.contains(c))
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(row, c, item);
    }
}

QString shortTime(const QDateTime &at)
{
    return QLocale().toString(at.toLocalTime(), QLocale::ShortFormat);
}
}  // namespace

EnginesView::EnginesView(Logbook &logbook, Prompt &prompt, QWidget *parent)
    : QWidget(parent), m_logbook(logbook), m_prompt(prompt)
{
    setObjectName(QStringLiteral("enginesView"));
    m_engines = table(this, "engineList",
                      {QStringLiteral("No."), QStringLiteral("Name"), QStringLiteral("Owner"), QStringLiteral("Last Download"),
                       QStringLiteral("Total Hours"), QStringLiteral("Service")});

    auto *details = new QGroupBox(QStringLiteral("Details"), this);
    m_name = new QLineEdit(details);
    m_name->setObjectName(QStringLiteral("engineName"));
    m_owner = new QLineEdit(details);
    m_owner->setObjectName(QStringLiteral("engineOwner"));
    m_notes = new QPlainTextEdit(details);
    m_notes->setObjectName(QStringLiteral("engineNotes"));
    m_notes->setTabChangesFocus(true);
    m_notes->setFixedHeight(m_notes->fontMetrics().lineSpacing() * 3 + 12);
    m_interval = new QLineEdit(details);
    m_interval->setObjectName(QStringLiteral("engineInterval"));
    m_interval->setPlaceholderText(QStringLiteral("none"));
    auto *validator = new QDoubleValidator(0.1, 100000, 1, m_interval);
    validator->setNotation(QDoubleValidator::StandardNotation);
    m_interval->setValidator(validator);
    m_save = new QPushButton(QStringLiteral("&Save Details"), details);
    m_save->setObjectName(QStringLiteral("engineSave"));
    auto *form = new QFormLayout(details);
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(QStringLiteral("O&wner:"), m_owner);
    form->addRow(QStringLiteral("N&otes:"), m_notes);
    form->addRow(QStringLiteral("Service &interval (engine hours):"), m_interval);
    m_resolve = new QPushButton(QStringLiteral("&Resolve Edits..."), details);
    m_resolve->setObjectName(QStringLiteral("engineResolve"));
    m_resolve->setToolTip(QStringLiteral("The details were changed on two benches at once: choose the version to keep."));
    auto *saving = new QHBoxLayout;
    saving->addWidget(m_save);
    saving->addWidget(m_resolve);
    form->addRow(QString(), saving);

    m_history = table(this, "engineHistory",
                      {QStringLiteral("Download"), QStringLiteral("Date"), QStringLiteral("Hours"), QStringLiteral("Ran"),
                       QStringLiteral("Starts"), QStringLiteral("Max RPM"), QStringLiteral("Since Service"),
                       QStringLiteral("Service"), QStringLiteral("Note")});
    m_sincePrevious = new QPlainTextEdit(this);
    m_sincePrevious->setObjectName(QStringLiteral("engineSincePrevious"));
    m_sincePrevious->setReadOnly(true);
    m_sincePrevious->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_sincePrevious->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_sincePrevious->setPlaceholderText(QStringLiteral("Choose a download to see what ran since the one before."));

    m_serviced = new QPushButton(QStringLiteral("Mark &Serviced"), this);
    m_serviced->setObjectName(QStringLiteral("engineServiced"));
    m_serviced->setToolTip(QStringLiteral("A service of this engine at the download chosen: its hours count from there."));
    m_target = new QComboBox(this);
    m_target->setObjectName(QStringLiteral("engineTarget"));
    m_move = new QPushButton(QStringLiteral("&Move to Engine"), this);
    m_move->setObjectName(QStringLiteral("engineMove"));
    m_move->setToolTip(QStringLiteral("The download chosen, and the later downloads of its firmware ID and user data, "
                                      "go to the engine beside this button."));
    m_open = new QPushButton(QStringLiteral("O&pen Download"), this);
    m_open->setObjectName(QStringLiteral("engineOpen"));

    auto *actions = new QHBoxLayout;
    actions->addWidget(m_serviced);
    actions->addStretch();
    actions->addWidget(m_target);
    actions->addWidget(m_move);
    actions->addWidget(m_open);

    details->setMaximumWidth(380);
    m_sincePrevious->setMaximumWidth(420);
    auto *top = new QHBoxLayout;
    top->addWidget(m_engines, 1);
    top->addWidget(details);
    auto *below = new QHBoxLayout;
    below->addWidget(m_history, 1);
    below->addWidget(m_sincePrevious);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addWidget(new QLabel(QStringLiteral("History, oldest first: hours ran since the download before, carried on "
                                                "across clearings"),
                                 this));
    layout->addLayout(below, 3);
    layout->addLayout(actions);

    connect(m_engines, &QTableWidget::itemSelectionChanged, this, &EnginesView::showEngine);
    connect(m_history, &QTableWidget::itemSelectionChanged, this, &EnginesView::showEntry);
    connect(m_history, &QTableWidget::cellDoubleClicked, this, &EnginesView::openSelected);
    connect(m_save, &QPushButton::clicked, this, &EnginesView::saveDetails);
    connect(m_resolve, &QPushButton::clicked, this, &EnginesView::resolveEdits);
    connect(m_serviced, &QPushButton::clicked, this, &EnginesView::markServiced);
    connect(m_move, &QPushButton::clicked, this, &EnginesView::moveDownload);
    connect(m_open, &QPushButton::clicked, this, &EnginesView::openSelected);
    refresh();
}

qint64 EnginesView::chosenEngine() const
{
    const QModelIndexList rows = m_engines->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().data(Qt::UserRole).toLongLong();
}

qint64 EnginesView::chosenDownload() const
{
    const QModelIndexList rows = m_history->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().data(Qt::UserRole).toLongLong();
}

void EnginesView::refresh()
{
    const qint64 chosen = chosenEngine();
    const QList<Engine> engines = m_logbook.engines();
    m_engines->setRowCount(0);
    m_target->clear();
    for (const Engine &e : engines) {
        const int row = m_engines->rowCount();
        m_engines->insertRow(row);
        fill(m_engines, row,
             {QString::number(e.id), e.name, e.owner, e.lastDownload ? shortTime(e.lastTakenAt) : QStringLiteral("none"),
              NumberFormat::hours(e.totalHours), e.service().text()},
             e.id, {Number, TotalHours});
        m_target->addItem(QStringLiteral("%1: %2").arg(e.id).arg(e.name), e.id);
    }
    m_target->addItem(QStringLiteral("a new engine"), Logbook::NewEngine);
    m_engines->resizeColumnsToContents();
    for (int row = 0; row < m_engines->rowCount(); ++row)
        if (m_engines->item(row, Number)->data(Qt::UserRole).toLongLong() == chosen)
            m_engines->selectRow(row);
    if (chosenEngine() == 0 && m_engines->rowCount() > 0)
        m_engines->selectRow(0);
    showEngine();
}

void EnginesView::showEngine()
{
    const auto engine = m_logbook.engine(chosenEngine());
    for (QWidget *w : std::initializer_list<QWidget *>{m_name, m_owner, m_notes, m_interval, m_save})
        w->setEnabled(engine.has_value());
    m_name->setText(engine ? engine->name : QString());
    m_owner->setText(engine ? engine->owner : QString());
    m_notes->setPlainText(engine ? engine->notes : QString());
    m_interval->setText(engine && engine->serviceInterval ? QLocale().toString(*engine->serviceInterval, 'f', 1) : QString());
    const auto store = m_logbook.syncStore();
    const QList<EngineConflict> conflicts = store ? store->conflicts() : QList<EngineConflict>{};
    m_resolve->setVisible(engine && std::any_of(conflicts.begin(), conflicts.end(),
                                                [&](const EngineConflict &c) { return c.engine == engine->id; }));
    m_history->setRowCount(0);
    if (engine)
        for (const HistoryEntry &e : m_logbook.history(engine->id)) {
            const int row = m_history->rowCount();
            m_history->insertRow(row);
            QString note = EngineReport::clearingNote(e);
            if (!e.download.reason.isEmpty())
                note = QStringLiteral("kept ") + e.download.reason + (note.isEmpty() ? QString() : QStringLiteral("; ") + note);
            fill(m_history, row,
                 {QString::number(e.id), shortTime(e.download.takenAt), NumberFormat::hours(e.lifetime.TotalHrs),
                  NumberFormat::hours(e.sincePrevious.TotalHrs), NumberFormat::starts(e.sincePrevious.EngStarts),
                  NumberFormat::rpm(e.sincePrevious.MaxRPM), NumberFormat::hours(e.hoursSinceService),
                  (e.serviced ? QStringLiteral("serviced; ") : QString()) + e.service.text(), note},
                 e.id, {Download_, Hours, Ran, Starts, MaxRpm, SinceService});
        }
    m_history->resizeColumnsToContents();
    if (m_history->rowCount() > 0)
        m_history->selectRow(m_history->rowCount() - 1);
    showEntry();
}

void EnginesView::showEntry()
{
    const qint64 download = chosenDownload();
    m_sincePrevious->clear();
    for (QWidget *w : std::initializer_list<QWidget *>{m_serviced, m_move, m_target, m_open})
        w->setEnabled(download != 0);
    if (download == 0)
        return;
    for (const HistoryEntry &e : m_logbook.history(chosenEngine()))
        if (e.id == download)
            // Without the page's left margin, which a pane has no use for.
            m_sincePrevious->setPlainText(renderReportText(EngineReport::sincePrevious(e))
                                              .replace(QRegularExpression(QStringLiteral("(^|\n) {9}")), QStringLiteral("\\1")));
}

QString EnginesView::sincePrevious() const
{
    return m_sincePrevious->toPlainText();
}

bool EnginesView::written(const std::optional<QString> &why)
{
    if (why) {
        m_prompt.message(QStringLiteral("Nothing was written: %1").arg(*why), QLatin1String(Title),
                         Box::OkOnly | Box::Exclamation);
        return false;
    }
    Q_EMIT enginesChanged();
    refresh();
    return true;
}

void EnginesView::saveDetails()
{
    auto engine = m_logbook.engine(chosenEngine());
    if (!engine)
        return;
    engine->name = m_name->text().trimmed();
    engine->owner = m_owner->text().trimmed();
    engine->notes = m_notes->toPlainText().trimmed();
    bool number = false;
    const double hours = QLocale().toDouble(m_interval->text().trimmed(), &number);
    engine->serviceInterval = number && hours > 0 ? std::optional(hours) : std::nullopt;
    written(m_logbook.updateEngine(*engine));
}

void EnginesView::markServiced()
{
    if (const qint64 download = chosenDownload())
        written(m_logbook.markServiced(chosenEngine(), download));
}

void EnginesView::moveDownload()
{
    const qint64 download = chosenDownload();
    if (download == 0)
        return;
    qint64 target = m_target->currentData().toLongLong();
    if (!written(m_logbook.assign(download, target, &target)))
        return;
    // Follow the download to its engine.
    for (int row = 0; row < m_engines->rowCount(); ++row)
        if (m_engines->item(row, Number)->data(Qt::UserRole).toLongLong() == target)
            m_engines->selectRow(row);
}

void EnginesView::resolveEdits()
{
    auto store = m_logbook.syncStore();
    if (!store)
        return;
    for (const EngineConflict &c : store->conflicts())
        if (c.engine == chosenEngine()) {
            ConflictDialog dialog(c, this);
            if (dialog.exec() == QDialog::Accepted && written(store->resolve(c.engine, dialog.chosen()))) {
                refresh();
                Q_EMIT enginesChanged();
            }
            return;
        }
}

void EnginesView::openSelected()
{
    if (const auto d = m_logbook.load(chosenDownload()))
        Q_EMIT openRequested(*d);
}
