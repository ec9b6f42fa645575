#pragma once

#include "session/Configuration.h"
#include "link/LinkTrace.h"
#include "stats/StatisticsView.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class HelpWindow;
class Logbook;
struct Download;
class PortDiscovery;
class LinkTiming;
class ModuleLink;
class ModuleOperations;
class Prompt;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class SerialPort;
class TracingPrompt;
class TracingSerialPort;
class TracingTiming;
class QAction;
struct ModuleStatistics;

// frmRunlog_Main: the port choice, one module's statistics in value fields and three band
// tables, and the buttons and menus that start every operation.
class MainWindow : public QMainWindow, public StatisticsView {
    Q_OBJECT
public:
    static constexpr char DesignCaption[] = "Runlog Version 7.0";
    static constexpr char Version[] = "7.02";

    MainWindow(const Configuration &config, ModuleStatistics &stats, SerialPort &port, LinkTiming &timing,
               Prompt &prompt, QWidget *parent = nullptr);
    ~MainWindow() override;

    // StatisticsView
    void setField(Field field, const QString &caption) override;
    void setUserDataText(const QString &text) override;
    QString userDataText() const override;
    void setCell(Grid grid, int column, const QString &text) override;
    void setWotVisible(bool visible) override;
    void setTempGridVisible(bool visible) override;
    bool breakInLimitChecked() const override;
    void setBreakInLimitChecked(bool checked) override;
    bool engineRebuildChecked() const override;
    void setEngineRebuildChecked(bool checked) override;

    // The caption last given to a value field, before the label interprets "&".
    QString caption(Field field) const;
    ModuleLink &link() { return *m_link; }
    ModuleOperations &operations() { return *m_operations; }
    const Features &features() const { return m_features; }
    const Configuration &configuration() const { return m_config; }
    ModuleStatistics &statistics() { return m_stats; }
    Prompt &prompt() { return m_prompt; }
    QString aboutText() const;

    // The serial devices present: detected adapters get a port number, and the port list
    // shows which entries lead to a device.
    void setPortDiscovery(PortDiscovery &discovery);
    // The device behind a port entry, as the list's tooltip and the label beside it show it.
    QString portDescription(int number) const;

    // A download kept in the logbook, shown read-only until the next Read Statistics.
    void showKept(const Download &download);
    Logbook &logbook() { return *m_logbook; }
    static constexpr char LogbookFileSetting[] = "Logbook/File";
    static constexpr char LogbookKeepSetting[] = "Logbook/Keep";

    // Where print and chart requests go; the reports layer installs them.
    std::function<void()> onPrintStatistics;
    std::function<void()> onPrintSetup;
    std::function<void()> onHistogram;
    // Asks where the byte trace goes, offering the last place; empty for Cancel.
    std::function<QString(const QString &)> chooseTraceFile;

    static constexpr char TraceSetting[] = "Trace/File";
    const LinkTrace &trace() const { return m_trace; }

Q_SIGNALS:
    void programEnding();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void load();
    void resetPort();
    bool refuseWhileBusy();
    void runModuleOperation(bool (ModuleOperations::*operation)());

    void cboPort_Click(int index);
    void cmdReadStats_Click();
    void cmdClearData_Click();
    void cmdWriteUserData_Click();
    void mnuEraseRPMLimitData_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    void mnuTrace_Click(bool on);
    void mnuPorts_Click();
    void mnuLogbook_Click();
    void mnuKeep_Click(bool on);
    void leaveKept();
    void mnuFindModule_Click();
    void refreshPortList();
    void startTrace(const QString &path);

    QTableWidget *makeGrid(QWidget *parent, const char *name, int top);
    QLabel *valueField(Field field) const;
    QTableWidget *grid(Grid grid) const;

    const Configuration &m_config;
    ModuleStatistics &m_stats;
    // Every port event of the module operations can go to a byte trace.
    LinkTrace m_trace;
    std::unique_ptr<TracingSerialPort> m_tracedPort;
    std::unique_ptr<TracingTiming> m_tracedTiming;
    std::unique_ptr<TracingPrompt> m_tracedPrompt;
    Prompt &m_prompt;
    Features m_features;
    std::unique_ptr<ModuleLink> m_link;
    std::unique_ptr<ModuleOperations> m_operations;
    HelpWindow *m_help = nullptr;
    bool m_portResetPending = false;
    bool m_shown = false;
    int m_portIndex = -1;

    QGroupBox *m_fraDataDisplay = nullptr;
    QGroupBox *m_fraStatusDisplay = nullptr;
    QGroupBox *m_fraPortSelect = nullptr;
    QLabel *m_lblWOTTotalHrs = nullptr;
    QLabel *m_fields[6] = {};
    QString m_captions[6];
    QLineEdit *m_txtUserData = nullptr;
    QTableWidget *m_grids[3] = {};
    QCheckBox *m_chkBreakInLimit = nullptr;
    QCheckBox *m_chkEngineRebuild = nullptr;
    QComboBox *m_cboPort = nullptr;
    QAction *m_mnuTrace = nullptr;
    QLabel *m_lblPortDevice = nullptr;
    PortDiscovery *m_discovery = nullptr;
    std::unique_ptr<Logbook> m_logbook;
    std::optional<QString> m_logbookUnusable;
    QAction *m_mnuKeep = nullptr;
    QAction *m_mnuErase = nullptr;
    QPushButton *m_cmdWriteUserData = nullptr;
    QString m_liveCaption;  // while a kept download is shown
};
