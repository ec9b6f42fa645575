#pragma once

#include "stats/Download.h"

#include <QWidget>

class Logbook;
class Prompt;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The Engines view of the logbook window: the engines with their last download, total
// hours and service status; the chosen engine's details to edit and its history, one
// download a row, with what ran since the one before (band by band for the row chosen);
// a service marked at a download, and a download moved to another engine.
class EnginesView : public QWidget {
    Q_OBJECT
public:
    EnginesView(Logbook &logbook, Prompt &prompt, QWidget *parent = nullptr);

    QTableWidget *engines() const { return m_engines; }
    QTableWidget *history() const { return m_history; }
    QString sincePrevious() const;
    // The engines and the chosen one's history read again, the same engine kept chosen.
    void refresh();
    // Opens the download chosen in the history.
    void openSelected();

Q_SIGNALS:
    void openRequested(const Download &download);
    // An engine's details, a service or an assignment was written.
    void enginesChanged();

private:
    void showEngine();
    void showEntry();
    void saveDetails();
    void markServiced();
    void moveDownload();
    // Engines whose details two benches edited at once: the version the user keeps.
    void resolveEdits();
    qint64 chosenEngine() const;
    qint64 chosenDownload() const;
    // Says why a change was not written; true when it was.
    bool written(const std::optional<QString> &why);

    Logbook &m_logbook;
    Prompt &m_prompt;
    QTableWidget *m_engines;
    QLineEdit *m_name;
    QLineEdit *m_owner;
    QPlainTextEdit *m_notes;
    QLineEdit *m_interval;
    QPushButton *m_save;
    QPushButton *m_resolve;
    QTableWidget *m_history;
    QPlainTextEdit *m_sincePrevious;
    QPushButton *m_serviced;
    QComboBox *m_target;
    QPushButton *m_move;
    QPushButton *m_open;
};
