#pragma once

#include <QObject>
#include <QString>

#include <functional>

class LinkTrace;
class Prompt;
class QAction;
class QWidget;

// Tools > Byte Trace to File...: every port event of the module operations appended to
// a file the user chose, on until it is switched off, across starts of the program.
class TraceController : public QObject {
    Q_OBJECT
public:
    TraceController(QWidget &window, QAction &trace, LinkTrace &linkTrace, Prompt &prompt);

    // A trace left on goes on, appending.
    void load();
    // After an operation: a trace the file stopped taking (a full disk) is switched off,
    // and the user told.
    void checkWrites();
    // Asks where the trace goes, offering the last place; empty for Cancel. A file dialog
    // unless set otherwise.
    void setFileChooser(std::function<QString(const QString &offered)> choose) { m_choose = std::move(choose); }

    static constexpr char Setting[] = "Trace/File";

private:
    void mnuTrace_Click(bool on);
    void startTrace(const QString &path);

    QWidget &m_window;
    QAction &m_action;
    LinkTrace &m_trace;
    Prompt &m_prompt;
    std::function<QString(const QString &)> m_choose;
};
