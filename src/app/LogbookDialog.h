#pragma once

#include <QDialog>

class EnginesView;
class Logbook;
class Prompt;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;
#include "stats/Download.h"

// Tools > Logbook...: the downloads kept, newest first, filtered by firmware ID or user
// data. One opens into the main window; two selected show what the engine ran between
// them (two engines' downloads only when the user asks for it). Beside them, the Engines
// view.
class LogbookDialog : public QDialog {
    Q_OBJECT
public:
    LogbookDialog(Logbook &logbook, Prompt &prompt, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    EnginesView *engines() const { return m_engines; }
    QTabWidget *tabs() const { return m_tabs; }
    QString comparison() const;

Q_SIGNALS:
    // The user opened a download, to be shown in the main window.
    void openRequested(const Download &download);
    // An engine's details, a service or an assignment was written.
    void enginesChanged();

private:
    void refresh();
    void compare();
    void openSelected();

    const Logbook &m_logbook;
    Prompt &m_prompt;
    QLineEdit *m_filter;
    QTableWidget *m_table;
    QPlainTextEdit *m_comparison;
    QTabWidget *m_tabs;
    EnginesView *m_engines;
};
