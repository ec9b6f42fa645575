#pragma once

#include "session/Configuration.h"
#include "stats/Download.h"
#include "stats/StatisticsView.h"

#include <QMainWindow>

#include <functional>
#include <optional>

class ElidingLabel;
class HelpWindow;
class LogbookController;
class ModuleSession;
class PortsController;
class Prompt;
class ServiceController;
class SyncController;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TraceController;
struct ReadOutcome;
struct WriteOutcome;

// The main window: the port choice, one download in value fields and three band tables,
// and the buttons and menus that start every operation. The form presents what the
// session's operations return; the ports, the logbook and the byte trace have
// controllers of their own beside it.
class MainWindow : public QMainWindow, public StatisticsView {
    Q_OBJECT
public:
    static constexpr char DesignCaption[] = "Runlog Version 7.0";
    static constexpr char Version[] = "7.02";

    MainWindow(const Configuration &config, ModuleSession &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    // StatisticsView
    void setField(Field field, const QString &caption) override;
    void setUserDataText(const QString &text) override;
    void setCell(Grid grid, int column, const QString &text) override;
    void setWotVisible(bool visible) override;
    void setTempGridVisible(bool visible) override;
    bool breakInLimitChecked() const override;
    void setBreakInLimitChecked(bool checked) override;
    bool engineRebuildChecked() const override;
    void setEngineRebuildChecked(bool checked) override;

    // The caption last given to a value field, before the label interprets "&".
    QString caption(Field field) const;
    ModuleSession &session() { return m_session; }
    const Features &features() const;
    const Configuration &configuration() const { return m_config; }
    Prompt &prompt();
    QString aboutText() const;
    PortsController &ports() { return *m_ports; }
    LogbookController &logbook() { return *m_logbook; }
    // Tools > Service Report..., which the report actions connect.
    QAction &serviceReportAction() { return *m_mnuServiceReport; }

    // What is on screen: the last download (whole or as far as it was read), or one kept
    // in the logbook; nothing before the first download and after Clear Data.
    const std::optional<Download> &shown() const { return m_shown; }
    bool showingKept() const { return !m_liveCaption.isEmpty(); }
    // A download kept in the logbook, shown read-only until the next Read Statistics.
    void showKept(const Download &download);
    // Refuses (with a beep) while a module operation runs; true when it refused.
    bool refuseWhileBusy();
    // Runs a module operation with the wait cursor, the actions that read its result off.
    void runModuleOperation(const std::function<void()> &operation);

    // Where print and chart requests go; the reports layer connects to them.
Q_SIGNALS:
    void printStatisticsRequested();
    // A download was read whole and kept in the logbook.
    void downloadKept();
    void printSetupRequested();
    void histogramRequested();
    void programEnding();
    // The download on screen changed (or went), or what the logbook says of its engine.
    void shownChanged();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void nameControls();
    // Keeps the whole window on the screen's available area.
    void fitToScreen();
    void load();
    void resetPort();

    void cmdReadStats_Click();
    void cmdClearData_Click();
    void cmdWriteUserData_Click();
    void mnuEraseRPMLimitData_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    void leaveKept();

    void present(const ReadOutcome &outcome);
    void present(const WriteOutcome &outcome, const QString &title);
    void showUnread(const Download &download);

    QTableWidget *makeGrid(QWidget *parent, const char *name, int top);
    ElidingLabel *valueField(Field field) const;
    QTableWidget *grid(Grid grid) const;

    const Configuration &m_config;
    ModuleSession &m_session;
    Features m_features;
    HelpWindow *m_help = nullptr;
    bool m_portResetPending = false;
    bool m_firstShown = false;

    QGroupBox *m_fraDataDisplay = nullptr;
    QGroupBox *m_fraStatusDisplay = nullptr;
    QGroupBox *m_fraPortSelect = nullptr;
    QLabel *m_lblWOTTotalHrs = nullptr;
    ElidingLabel *m_fields[6] = {};
    QString m_captions[6];
    QLineEdit *m_txtUserData = nullptr;
    QTableWidget *m_grids[3] = {};
    QCheckBox *m_chkBreakInLimit = nullptr;
    QCheckBox *m_chkEngineRebuild = nullptr;
    QComboBox *m_cboPort = nullptr;
    ElidingLabel *m_lblPortDevice = nullptr;
    QAction *m_mnuErase = nullptr;
    QAction *m_mnuPrintStat = nullptr;
    QAction *m_mnuPorts = nullptr;
    QAction *m_mnuFindModule = nullptr;
    QAction *m_mnuLogbook = nullptr;
    QAction *m_mnuKeep = nullptr;
    QAction *m_mnuLogbookServer = nullptr;
    QAction *m_mnuSyncLogbook = nullptr;
    QLabel *m_lblSyncStatus = nullptr;
    QAction *m_mnuTrace = nullptr;
    QAction *m_mnuServiceReport = nullptr;
    QAction *m_mnuWorkshop = nullptr;
    QLabel *m_lblServiceStatus = nullptr;
    QPushButton *m_cmdWriteUserData = nullptr;
    QPushButton *m_cmdPrint = nullptr;
    QPushButton *m_cmdHistogram = nullptr;
    QLabel *m_unread = nullptr;

    std::optional<Download> m_shown;
    QString m_liveCaption;  // while a kept download is shown

    PortsController *m_ports = nullptr;
    LogbookController *m_logbook = nullptr;
    TraceController *m_trace = nullptr;
    ServiceController *m_service = nullptr;
    SyncController *m_sync = nullptr;
};
