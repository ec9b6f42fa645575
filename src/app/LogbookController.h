#pragma once

#include <QObject>
#include <QString>

class MainWindow;
class ModuleSession;
class QAction;

// The logbook beside the main window's form: where downloads are kept and whether they
// are (Tools > Keep Downloads in the Logbook, remembered), Tools > Logbook..., and the
// boxes that say what to do when the logbook cannot keep a download.
class LogbookController : public QObject {
    Q_OBJECT
public:
    LogbookController(MainWindow &window, QAction &logbook, QAction &keep, ModuleSession &session);

    // Opens the logbook of the settings, keeping downloads as the user last chose.
    void load();
    // A complete download the logbook could not keep.
    void notKept(const QString &why);
    // A clearing refused because the counters could not be kept first.
    void clearingRefused(const QString &why, const QString &title);

    static constexpr char FileSetting[] = "Logbook/File";
    static constexpr char KeepSetting[] = "Logbook/Keep";
    static constexpr char Title[] = "Logbook";

private:
    void mnuKeep_Click(bool on);
    void mnuLogbook_Click();
    // What the user can do about a logbook that cannot keep downloads.
    QString remedy() const;

    MainWindow &m_window;
    QAction &m_keep;
    ModuleSession &m_session;
};
