#pragma once

#include <QDialog>

#include <functional>

class Logbook;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
struct Download;

// Tools > Logbook...: the downloads kept, newest first, filtered by firmware ID or user
// data. One opens into the main window; two selected show what the engine ran between them.
class LogbookDialog : public QDialog {
    Q_OBJECT
public:
    LogbookDialog(const Logbook &logbook, QWidget *parent = nullptr);

    // Opens a download in the main window; set by the window.
    std::function<void(const Download &)> onOpen;

    QTableWidget *table() const { return m_table; }
    QString comparison() const;

private:
    void refresh();
    void compare();
    void openSelected();

    const Logbook &m_logbook;
    QLineEdit *m_filter;
    QTableWidget *m_table;
    QPlainTextEdit *m_comparison;
};
