#include "MainWindow.h"

#include "ElidingLabel.h"
#include "HelpWindow.h"
#include "LogbookController.h"
#include "PortsController.h"
#include "ScreenFit.h"
#include "ServiceController.h"
#include "SyncController.h"
#include "TraceController.h"
#include "link/ModuleLink.h"
#include "link/Prompt.h"
#include "link/StepRunner.h"
#include "printing/Twips.h"
#include "session/ModuleSession.h"
#include "stats/ModuleOperations.h"
#include "stats/StatisticsPresenter.h"
#include "stats/ReadOutcome.h"
#include "stats/WriteOutcome.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTableWidget>
#include <QWindow>

#include <cmath>

namespace {
constexpr int GridColumns = 8;
constexpr int GridWidthTwips = 9252;
constexpr int GridHeightTwips = 612;

const QColor LightGreen(128, 255, 128);
const QColor LightYellow(255, 255, 128);
const QColor LightRed(255, 128, 128);
const QColor GridLines(192, 192, 192);

// The frame's borders, allowed for before the window system says what they are.
constexpr int FrameAllowancePx = 4;

// Breaks a check box caption before the last word that would leave the box.
void wrapCaption(QCheckBox *box)
{
    const QFontMetrics metrics(box->font());
    const int room = box->width() - box->iconSize().width() - 12;
    const QStringList words = box->text().split(QLatin1Char(' '));
    QString first;
    qsizetype i = 0;
    for (; i < words.size(); ++i) {
        const QString longer = first.isEmpty() ? words[i] : first + QLatin1Char(' ') + words[i];
        if (!first.isEmpty() && metrics.horizontalAdvance(longer) > room)
            break;
        first = longer;
    }
    if (i < words.size())
        box->setText(first + QLatin1Char('\n') + words.mid(i).join(QLatin1Char(' ')));
}

QPushButton *button(QWidget *parent, const char *name, const char *text, int left, int top)
{
    auto *b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QLatin1String(name));
    Twips::place(b, left, top, 1815, 495);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const char *text, int left, int top, int width, int height)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QLatin1String(name));
    Twips::place(l, left, top, width, height);
    return l;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const char *text, int left, int top, int width, int height)
{
    auto *box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QLatin1String(name));
    Twips::place(box, left, top, width, height);
    return box;
}

ElidingLabel *valueLabel(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *l = new ElidingLabel(parent);
    l->setObjectName(QLatin1String(name));
    Twips::place(l, left, top, width, height);
    l->setFrameShape(QFrame::Box);
    l->setLineWidth(1);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    l->setPalette(p);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}
}  // namespace

MainWindow::MainWindow(const Configuration &config, ModuleSession &session, QWidget *parent)
    : QMainWindow(parent), m_config(config), m_session(session)
{
    setObjectName(QStringLiteral("frmRunlog_Main"));
    setWindowTitle(QString::fromLatin1(DesignCaption));
    // "System" is the design face; where it does not exist, a face of Arial's metrics
    // keeps the captions inside their twips-sized controls.
    QFont font;
    font.setFamilies({QStringLiteral("System"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(9.6);
    font.setBold(true);
    setFont(font);

    buildMenus();
    buildControls();
    // A download empties the window first and shows each part as it arrives; the status
    // boxes change only with the whole download, when their flags are known.
    ModuleOperations &operations = session.operations();
    connect(&operations, &ModuleOperations::readStarted, this, [this] {
        StatisticsPresenter::clear(*this);
        m_unread->clear();
    });
    connect(&operations, &ModuleOperations::partRead, this,
            [this](const Download &soFar) { StatisticsPresenter::show(soFar, *this, false); });
    connect(&operations, &ModuleOperations::firmwareIdRead, this,
            [this](const QString &id) { setField(Field::FirmwareID, StatisticsPresenter::firmwareIdCaption(id)); });

    m_ports = new PortsController(*this, *m_cboPort, *m_lblPortDevice, *m_mnuPorts, *m_mnuFindModule, session);
    m_logbook = new LogbookController(*this, *m_mnuLogbook, *m_mnuKeep, session);
    m_trace = new TraceController(*this, *m_mnuTrace, session.trace(), prompt());
    m_service = new ServiceController(*this, *m_mnuWorkshop, *m_lblServiceStatus, session);
    m_sync = new SyncController(*this, *m_mnuLogbookServer, *m_mnuSyncLogbook, *m_lblSyncStatus, session);
    load();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *printStat = file->addAction(QStringLiteral("&Print Statistics"));
    printStat->setObjectName(QStringLiteral("mnuPrintStat"));
    m_mnuPrintStat = printStat;
    connect(printStat, &QAction::triggered, this, &MainWindow::printStatisticsRequested);
    QAction *printSetup = file->addAction(QStringLiteral("Print Set&up"));
    printSetup->setObjectName(QStringLiteral("mnuPrintSetup"));
    connect(printSetup, &QAction::triggered, this, &MainWindow::printSetupRequested);
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    QAction *erase = m_mnuErase = options->addAction(QStringLiteral("&Erase RPM Limit Data in EEPROM"));
    erase->setObjectName(QStringLiteral("mnuEraseRPMLimitData"));
    connect(erase, &QAction::triggered, this, &MainWindow::mnuEraseRPMLimitData_Click);

    // The commands the window has beyond the module's own; their controllers connect them.
    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    const auto tool = [&](const char *name, const char *text, bool checkable = false) {
        QAction *action = tools->addAction(QString::fromLatin1(text));
        action->setObjectName(QLatin1String(name));
        action->setCheckable(checkable);
        return action;
    };
    m_mnuPorts = tool("mnuPorts", "&Ports...");
    m_mnuFindModule = tool("mnuFindModule", "&Find Module");
    m_mnuLogbook = tool("mnuLogbook", "&Logbook...");
    m_mnuKeep = tool("mnuKeep", "&Keep Downloads in the Logbook", true);
    m_mnuLogbookServer = tool("mnuLogbookServer", "Logbook Ser&ver...");
    m_mnuSyncLogbook = tool("mnuSyncLogbook", "S&ync Logbook");
    m_mnuTrace = tool("mnuTrace", "Byte &Trace to File...", true);
    m_mnuServiceReport = tool("mnuServiceReport", "Service &Report...");
    m_mnuWorkshop = tool("mnuWorkshop", "&Workshop Details...");

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *contents = help->addAction(QStringLiteral("&Contents"));
    contents->setObjectName(QStringLiteral("mnuContents"));
    connect(contents, &QAction::triggered, this, &MainWindow::mnuContents_Click);
    QAction *about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, &MainWindow::mnuAbout_Click);
}

QTableWidget *MainWindow::makeGrid(QWidget *parent, const char *name, int top)
{
    auto *grid = new QTableWidget(2, GridColumns, parent);
    grid->setObjectName(QLatin1String(name));
    Twips::place(grid, 360, top, GridWidthTwips, GridHeightTwips);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);  // one tab stop, not a trap of cells
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFrameShape(QFrame::Box);
    grid->setStyleSheet(
        QStringLiteral("QTableWidget { gridline-color: %1; } QTableWidget::item { padding: 0px 1px; }")
            .arg(GridLines.name()));
    grid->setTextElideMode(Qt::ElideNone);
    grid->setWordWrap(false);
    const int rowHeight = (grid->height() - 2 * grid->frameWidth()) / 2;
    for (int r = 0; r < 2; ++r) {
        grid->setRowHeight(r, rowHeight);
        for (int c = 0; c < GridColumns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled);
            item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            // The header row and column are fixed cells in the button colour.
            if (r == 0 || c == 0)
                item->setBackground(palette().button());
            grid->setItem(r, c, item);
        }
    }
    return grid;
}

void MainWindow::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    const QRect area = Twips::rect(this, 0, 0, 10452, 8280);
    client->setFixedSize(area.size());

    m_fraDataDisplay = new QGroupBox(QStringLiteral("Ignition Module Data"), client);
    m_fraDataDisplay->setObjectName(QStringLiteral("fraDataDisplay"));
    Twips::place(m_fraDataDisplay, 240, 240, 9975, 7812);
    QWidget *f = m_fraDataDisplay;

    label(f, "lblTotalHrs", "Total Hours", 360, 600, 1695, 375);
    m_fields[int(Field::TotalHrs)] = valueLabel(f, "lblTotalHrsData", 1680, 480, 972, 372);
    m_lblWOTTotalHrs = label(f, "lblWOTTotalHrs", "Total Hours at WOT", 2880, 600, 1932, 372);
    m_fields[int(Field::WOTTotalHrs)] = valueLabel(f, "lblWOTTotalHrsData", 4920, 480, 972, 372);
    label(f, "lblMaxRPM", "Maximum Engine RPM", 6240, 600, 2292, 372);
    m_fields[int(Field::MaxRPM)] = valueLabel(f, "lblMaxRPMData", 8640, 480, 972, 372);
    label(f, "lblLimitSecs", "Seconds at RPM Limit", 6240, 1200, 2292, 372);
    m_fields[int(Field::LimitSecs)] = valueLabel(f, "lblLimitSecsData", 8640, 1080, 972, 372);
    label(f, "lblEngStarts", "Engine Starts", 6240, 1800, 1572, 372);
    m_fields[int(Field::EngStarts)] = valueLabel(f, "lblEngStartsData", 8640, 1680, 972, 372);
    label(f, "lblID", "ID", 360, 1080, 375, 375);
    m_fields[int(Field::FirmwareID)] = valueLabel(f, "lblFirmwareIDData", 960, 1080, 4932, 732);
    label(f, "lblUserData", "User Data", 360, 2040, 975, 375);
    m_txtUserData = new QLineEdit(f);
    m_txtUserData->setObjectName(QStringLiteral("txtUserData"));
    m_txtUserData->setMaxLength(32);
    Twips::place(m_txtUserData, 1560, 2040, 4332, 375);

    m_grids[int(Grid::HoursLow)] = makeGrid(f, "msgHoursLow", 2880);
    m_grids[int(Grid::HoursHigh)] = makeGrid(f, "msgHoursHigh", 3720);
    m_grids[int(Grid::TempHours)] = makeGrid(f, "msgTempHours", 4560);
    // Under the grids: which parts of the download on screen were not read.
    m_unread = label(f, "lblUnread", "", 360, 5190, GridWidthTwips, 300);
    QFont notice = m_unread->font();
    notice.setBold(false);
    m_unread->setFont(notice);
    QPalette warning = m_unread->palette();
    warning.setColor(QPalette::WindowText, QColor(160, 0, 0));
    m_unread->setPalette(warning);

    QPushButton *readStats = button(f, "cmdReadStats", "Read Statistics", 360, 5520);
    QPushButton *print = m_cmdPrint = button(f, "cmdPrint", "Print Statistics", 2520, 5520);
    QPushButton *writeUserData = m_cmdWriteUserData = button(f, "cmdWriteUserData", "Write User Data", 360, 6960);

    m_fraStatusDisplay = new QGroupBox(QStringLiteral("Status"), f);
    m_fraStatusDisplay->setObjectName(QStringLiteral("fraStatusDisplay"));
    Twips::place(m_fraStatusDisplay, 4680, 5520, 2292, 1932);
    m_chkBreakInLimit =
        checkBox(m_fraStatusDisplay, "chkBreakInLimit", "Break-in RPM Limit Enabled", 120, 360, 1812, 612);
    m_chkEngineRebuild = checkBox(m_fraStatusDisplay, "chkEngineRebuild", "Engine Rebuild", 120, 1080, 1812, 372);

    m_fraPortSelect = new QGroupBox(QStringLiteral("Data Port Setup"), f);
    m_fraPortSelect->setObjectName(QStringLiteral("fraPortSelect"));
    Twips::place(m_fraPortSelect, 7200, 5520, 2412, 1932);
    label(m_fraPortSelect, "lblPort", "Port", 240, 600, 612, 252);
    m_cboPort = new QComboBox(m_fraPortSelect);
    m_cboPort->setObjectName(QStringLiteral("cboPort"));
    m_cboPort->setEditable(false);
    Twips::place(m_cboPort, 840, 480, 1188, 336);
    // Which device the chosen entry leads to: a port number alone tells a user nothing.
    m_lblPortDevice = new ElidingLabel(m_fraPortSelect);
    m_lblPortDevice->setObjectName(QStringLiteral("lblPortDevice"));
    Twips::place(m_lblPortDevice, 120, 960, 2172, 852);
    m_lblPortDevice->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    QFont small = m_lblPortDevice->font();
    small.setBold(false);
    small.setPointSizeF(8);
    m_lblPortDevice->setFont(small);

    // These two belong to the window and are drawn above the frame.
    QPushButton *histogram = m_cmdHistogram = button(client, "cmdHistogram", "Histogram", 600, 6480);
    QPushButton *clearData = button(client, "cmdClearData", "Clear Data", 2760, 6480);
    histogram->raise();
    clearData->raise();

    // The box is two lines high for its caption: wrap it where it does not fit on one.
    wrapCaption(m_chkBreakInLimit);

    const QList<QWidget *> tabOrder{m_cboPort,
                                    readStats,
                                    clearData,
                                    histogram,
                                    m_grids[int(Grid::HoursLow)],
                                    m_grids[int(Grid::HoursHigh)],
                                    print,
                                    m_txtUserData,
                                    writeUserData,
                                    m_chkEngineRebuild,
                                    m_chkBreakInLimit,
                                    m_grids[int(Grid::TempHours)]};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(readStats, &QPushButton::clicked, this, &MainWindow::cmdReadStats_Click);
    connect(clearData, &QPushButton::clicked, this, &MainWindow::cmdClearData_Click);
    connect(writeUserData, &QPushButton::clicked, this, &MainWindow::cmdWriteUserData_Click);
    connect(print, &QPushButton::clicked, this, &MainWindow::printStatisticsRequested);
    connect(histogram, &QPushButton::clicked, this, &MainWindow::histogramRequested);
    // The click rules answer the user; what a download sets is the module's word.
    connect(m_chkBreakInLimit, &QCheckBox::clicked, this, [this] { m_session.operations().breakInLimitClicked(*this); });
    connect(m_chkEngineRebuild, &QCheckBox::clicked, this,
            [this] { m_session.operations().engineRebuildClicked(*this); });

    nameControls();

    // The service status of the engine on screen stays in the status line; where a printout
    // went, and other news that needs no box, comes and goes beside it.
    m_lblServiceStatus = new QLabel(this);
    m_lblServiceStatus->setObjectName(QStringLiteral("lblServiceStatus"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addPermanentWidget(m_lblServiceStatus, 1);
    m_lblSyncStatus = new QLabel(this);
    m_lblSyncStatus->setObjectName(QStringLiteral("lblSyncStatus"));
    m_lblSyncStatus->setAccessibleName(QStringLiteral("Logbook server"));
    statusBar()->addPermanentWidget(m_lblSyncStatus);

    // Fixed single border: the user cannot drag the size.
    adjustSize();
    setFixedSize(sizeHint());
    fitToScreen();
    m_cboPort->setFocus();
}

void MainWindow::nameControls()
{
    // What a screen reader calls each control. A value field is named by its caption,
    // whose label it becomes the buddy of; its value is its description.
    const auto byCaption = [this](const char *caption, QWidget *field, const char *name) {
        findChild<QLabel *>(QLatin1String(caption))->setBuddy(field);
        field->setAccessibleName(QString::fromLatin1(name));
    };
    byCaption("lblTotalHrs", valueField(Field::TotalHrs), "Total Hours");
    byCaption("lblWOTTotalHrs", valueField(Field::WOTTotalHrs), "Total Hours at WOT");
    byCaption("lblMaxRPM", valueField(Field::MaxRPM), "Maximum Engine RPM");
    byCaption("lblLimitSecs", valueField(Field::LimitSecs), "Seconds at RPM Limit");
    byCaption("lblEngStarts", valueField(Field::EngStarts), "Engine Starts");
    byCaption("lblID", valueField(Field::FirmwareID), "Firmware ID");
    byCaption("lblUserData", m_txtUserData, "User Data");
    byCaption("lblPort", m_cboPort, "Port");
    m_lblPortDevice->setAccessibleName(QStringLiteral("Port Device"));
    // The caption is wrapped for the box; its name is one line.
    m_chkBreakInLimit->setAccessibleName(QStringLiteral("Break-in RPM Limit Enabled"));
    grid(Grid::HoursLow)->setAccessibleName(QStringLiteral("Hours in RPM Bands, Idle to 3999"));
    grid(Grid::HoursHigh)->setAccessibleName(QStringLiteral("Hours in RPM Bands, 4000 to 6999"));
    grid(Grid::TempHours)->setAccessibleName(QStringLiteral("Hours in Temperature Bands"));
}

void MainWindow::fitToScreen()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    // The client area, not the frame, goes to the designed place. Until the window is
    // shown its frame is not known: a title bar and thin borders are allowed for.
    const QRect designed(QPoint(Twips::toPixels(708, logicalDpiX()), Twips::toPixels(1176, logicalDpiY())), size());
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        frame = QMargins(FrameAllowancePx, FrameAllowancePx + style()->pixelMetric(QStyle::PM_TitleBarHeight),
                         FrameAllowancePx, FrameAllowancePx);
    const QRect available = screen->availableGeometry();
    ScreenFit fit = ScreenFit::place(designed, frame, available);
    if (fit.scrolled) {
        // Room for a scroll bar beside the contents, in the direction that is cut.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        QRect barred = designed;
        if (fit.client.height() < designed.height())
            barred.setWidth(barred.width() + bar);
        if (fit.client.width() < designed.width())
            barred.setHeight(barred.height() + bar);
        fit = ScreenFit::place(barred, frame, available);
        if (!qobject_cast<QScrollArea *>(centralWidget())) {
            auto *scroll = new QScrollArea;
            scroll->setObjectName(QStringLiteral("clientScroll"));
            scroll->setFrameShape(QFrame::NoFrame);
            scroll->setWidget(takeCentralWidget());
            setCentralWidget(scroll);
        }
    }
    setFixedSize(fit.client.size());
    setGeometry(fit.client);
}

void MainWindow::load()
{
    StepRunner s(prompt());
    s.operation([&] {
        // Feature flags and the status frame.
        m_features = Features::fromConfigLines(m_config.ConfigLines);
        m_session.setFeatures(m_features);
        m_fraStatusDisplay->setVisible(m_features.StatusDisplayEnabled);

        // The application title, under which the settings are kept.
        QCoreApplication::setApplicationName(QString::fromLatin1(Box::ApplicationTitle));

        // The stored port, and the list it is chosen from.
        m_ports->load(s);
        // The logbook and the byte trace, as the user left them.
        m_logbook->load();
        m_trace->load();
        m_sync->load();

        // The line settings.
        m_session.link().applyPortSettings();

        // One column width for every column of the three grids: an eighth of the grid,
        // to the nearest twip, halves to even (9252 / 8 gives 1156).
        const int columnTwips = int(std::nearbyint(double(GridWidthTwips) / GridColumns));
        for (QTableWidget *g : m_grids)
            for (int c = 0; c < GridColumns; ++c)
                g->setColumnWidth(c, Twips::toPixels(columnTwips, logicalDpiX()));

        // Header texts.
        const QStringList low{"RPM Band",  "    Idle",  "1000-1499", "1500-1999",
                              "2000-2499", "2500-2999", "3000-3499", "3500-3999"};
        const QStringList high{"RPM Band",  "4000-4499", "4500-4999", "5000-5499",
                               "5500-5999", "6000-6499", "6500-6999", ""};
        const QStringList temp{"Temp Band", "  <85 C",   "85-94 C",   "95-104 C",
                               "105-114 C", "115-124 C", "125-134 C", "135-150 C"};
        const QStringList *headers[3] = {&low, &high, &temp};
        for (int g = 0; g < 3; ++g) {
            for (int c = 0; c < GridColumns; ++c)
                m_grids[g]->item(0, c)->setText(headers[g]->at(c));
            m_grids[g]->item(1, 0)->setText(QStringLiteral("Hours"));
            // The same texts as the grid's own (hidden) headers: a screen reader names each
            // value by its band and its row.
            QStringList bands;
            for (const QString &h : *headers[g])
                bands << h.trimmed();
            m_grids[g]->setHorizontalHeaderLabels(bands);
            m_grids[g]->setVerticalHeaderLabels({bands.first(), QStringLiteral("Hours")});
        }

        // Temperature colours, both rows.
        for (int c = 1; c < GridColumns; ++c) {
            const QColor colour = c <= 4 ? LightGreen : c == 5 ? LightYellow : LightRed;
            for (int r = 0; r < 2; ++r)
                m_grids[int(Grid::TempHours)]->item(r, c)->setBackground(colour);
        }

        // Empty values: nothing is shown before the first download.
        StatisticsPresenter::clear(*this);

        // The maker's name before the caption.
        s.step([&] {
            if (m_config.MakerLines.isEmpty())
                return failed(QStringLiteral("Subscript out of range"));
            setWindowTitle(m_config.MakerLines.first() + QLatin1Char(' ') + windowTitle());
            return succeeded();
        });

        // What only some modules supply stays hidden until they supply it.
        setWotVisible(false);
        setTempGridVisible(false);
    });
}

// --- the view ----------------------------------------------------------------------------

ElidingLabel *MainWindow::valueField(Field field) const
{
    return m_fields[int(field)];
}

QTableWidget *MainWindow::grid(Grid g) const
{
    return m_grids[int(g)];
}

void MainWindow::setField(Field field, const QString &caption)
{
    m_captions[int(field)] = caption;
    valueField(field)->setFullText(Twips::shownCaption(caption));
}

QString MainWindow::caption(Field field) const
{
    return m_captions[int(field)];
}

void MainWindow::setUserDataText(const QString &text)
{
    m_txtUserData->setText(text);
}

void MainWindow::setCell(Grid g, int column, const QString &text)
{
    grid(g)->item(1, column)->setText(text);
}

void MainWindow::setWotVisible(bool visible)
{
    m_lblWOTTotalHrs->setVisible(visible);
    valueField(Field::WOTTotalHrs)->setVisible(visible);
}

void MainWindow::setTempGridVisible(bool visible)
{
    grid(Grid::TempHours)->setVisible(visible);
}

bool MainWindow::breakInLimitChecked() const
{
    return m_chkBreakInLimit->isChecked();
}

void MainWindow::setBreakInLimitChecked(bool checked)
{
    m_chkBreakInLimit->setChecked(checked);
}

bool MainWindow::engineRebuildChecked() const
{
    return m_chkEngineRebuild->isChecked();
}

void MainWindow::setEngineRebuildChecked(bool checked)
{
    m_chkEngineRebuild->setChecked(checked);
}

// --- handlers ----------------------------------------------------------------------------

Prompt &MainWindow::prompt()
{
    return m_session.prompt();
}

const Features &MainWindow::features() const
{
    return m_features;
}

bool MainWindow::refuseWhileBusy()
{
    if (!m_session.operations().busy())
        return false;
    QApplication::beep();
    return true;
}

void MainWindow::runModuleOperation(const std::function<void()> &operation)
{
    if (!refuseWhileBusy()) {
        // What an operation is about to replace cannot be printed or charted meanwhile.
        const QList<QWidget *> readers{m_cmdPrint, m_cmdHistogram};
        for (QWidget *w : readers)
            w->setEnabled(false);
        m_mnuPrintStat->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        operation();
        QApplication::restoreOverrideCursor();
        for (QWidget *w : readers)
            w->setEnabled(true);
        m_mnuPrintStat->setEnabled(true);
        m_trace->checkWrites();
    }
    // A resize while the operation owned the port left its reset until now.
    if (m_portResetPending)
        resetPort();
}

void MainWindow::showUnread(const Download &download)
{
    const QString parts = StatisticsPresenter::partNames(download.unread);
    m_unread->setText(parts.isEmpty() ? QString()
                                      : QStringLiteral("Incomplete download - not read: %1. Those values are blank.")
                                            .arg(parts));
}

void MainWindow::present(const ReadOutcome &outcome)
{
    StatisticsPresenter::show(outcome.download, *this, m_features.StatusDisplayEnabled);
    showUnread(outcome.download);
    m_shown = outcome.download;
    Q_EMIT shownChanged();
    if (outcome.notKept)
        m_logbook->notKept(*outcome.notKept);
    else if (outcome.complete() && m_session.keeping())
        Q_EMIT downloadKept();
}

void MainWindow::present(const WriteOutcome &outcome, const QString &title)
{
    // A write that never began (no firmware ID, a text the module cannot keep) has had
    // its box already.
    if (outcome.failure && outcome.progress.started()) {
        if (outcome.failure->kind == Failure::Kind::KeepFailed)
            m_logbook->clearingRefused(outcome.failure->description, title);
        else
            prompt().message(outcome.progress.summary(), title, Box::OkOnly | Box::Exclamation);
    }
    if (outcome.readBack)
        present(*outcome.readBack);
}

void MainWindow::cmdReadStats_Click()
{
    if (!m_session.operations().busy())
        leaveKept();  // back to the live module
    runModuleOperation([this] { present(m_session.operations().readStatistics()); });
}

void MainWindow::cmdClearData_Click()
{
    // Clear Data sends nothing, but it must not empty the window under a download.
    if (refuseWhileBusy())
        return;
    StatisticsPresenter::clear(*this);
    m_unread->clear();
    m_shown.reset();
    Q_EMIT shownChanged();
}

void MainWindow::cmdWriteUserData_Click()
{
    const WriteRequest request{m_txtUserData->text(), breakInLimitChecked(), engineRebuildChecked()};
    runModuleOperation([&] { present(m_session.operations().writeUserData(request), QString()); });
}

void MainWindow::mnuEraseRPMLimitData_Click()
{
    runModuleOperation([this] {
        present(m_session.operations().eraseRpmLimitData(), QString::fromLatin1(ModuleOperations::EraseTitle));
    });
}

void MainWindow::mnuContents_Click()
{
    if (!m_help)
        m_help = new HelpWindow(QDir(Configuration::programFolder()).filePath(HelpWindow::FileName), this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

QString MainWindow::aboutText() const
{
    QString text = m_config.MakerLines.value(0) + QStringLiteral(" Runlog Version ") + QLatin1String(Version) +
                   QLatin1Char('\n');
    text += Configuration::notice() + QLatin1Char('\n') + QLatin1Char('\n');
    for (qsizetype i = 1; i < m_config.MakerLines.size(); ++i)
        text += m_config.MakerLines[i] + QLatin1Char('\n');
    return text;
}

void MainWindow::showKept(const Download &download)
{
    if (refuseWhileBusy())
        return;
    if (m_liveCaption.isEmpty())
        m_liveCaption = windowTitle();
    StatisticsPresenter::clear(*this);
    StatisticsPresenter::show(download, *this, m_features.StatusDisplayEnabled);
    showUnread(download);
    if (m_features.StatusDisplayEnabled && !download.status)
        m_unread->setText(QStringLiteral("No status byte was kept with this download: the status boxes are blank."));
    m_shown = download;
    Q_EMIT shownChanged();
    setWindowTitle(m_liveCaption + QStringLiteral(" - from the logbook, ")
                   + QLocale().toString(download.takenAt.toLocalTime(), QLocale::ShortFormat));
    // What is shown is not the module on the cable: nothing may be written from it.
    m_txtUserData->setReadOnly(true);
    for (QWidget *w : std::initializer_list<QWidget *>{m_cmdWriteUserData, m_chkBreakInLimit, m_chkEngineRebuild})
        w->setEnabled(false);
    m_mnuErase->setEnabled(false);
}

void MainWindow::leaveKept()
{
    if (m_liveCaption.isEmpty())
        return;
    setWindowTitle(m_liveCaption);
    m_liveCaption.clear();
    m_txtUserData->setReadOnly(false);
    for (QWidget *w : std::initializer_list<QWidget *>{m_cmdWriteUserData, m_chkBreakInLimit, m_chkEngineRebuild})
        w->setEnabled(true);
    m_mnuErase->setEnabled(true);
}

void MainWindow::mnuAbout_Click()
{
    prompt().message(aboutText(), QStringLiteral("About"), Box::OkOnly | Box::Information);
}

// --- resize and closing ------------------------------------------------------------------

void MainWindow::resetPort()
{
    // An operation in progress owns the port: it is reset when that operation ends.
    if (m_session.operations().busy()) {
        m_portResetPending = true;
        return;
    }
    m_portResetPending = false;
    m_session.link().closePort();
    if (!isMinimized())
        m_session.link().applyPortSettings();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        resetPort();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The first showing counts as a resize; later ones come with a state change.
    if (!m_firstShown) {
        m_firstShown = true;
        resetPort();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_session.link().closePort();
    event->accept();
    Q_EMIT programEnding();
    // Every window goes at once, a modal chart included.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this)
            w->hide();
    QCoreApplication::exit(0);
}
