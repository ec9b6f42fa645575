#pragma once

#include "logbook/SharedRecords.h"

#include <QDialog>

class QListWidget;

// An engine whose details two benches edited at once: each version as it was made, where
// and when, and the one the user keeps, which settles the others on every bench.
class ConflictDialog : public QDialog {
    Q_OBJECT
public:
    ConflictDialog(const EngineConflict &conflict, QWidget *parent = nullptr);

    // The version chosen, or 0.
    qint64 chosen() const;

private:
    QListWidget *m_versions;
};
