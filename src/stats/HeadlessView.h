#pragma once

#include "StatisticsView.h"

#include <QHash>
#include <QStringList>

#include <array>
#include <functional>

// The statistics view without a window: what the main window would show, kept in memory,
// for the command-line tool and for tests. Check boxes run their click rules on change.
class HeadlessView : public StatisticsView {
public:
    void setField(Field field, const QString &caption) override { m_fields[field] = caption; }
    void setUserDataText(const QString &text) override { m_userData = text; }
    QString userDataText() const override { return m_userData; }
    void setCell(Grid grid, int column, const QString &text) override { m_cells[int(grid)][size_t(column)] = text; }
    void setWotVisible(bool visible) override { m_wotVisible = visible; }
    void setTempGridVisible(bool visible) override { m_tempVisible = visible; }
    bool breakInLimitChecked() const override { return m_breakIn; }
    void setBreakInLimitChecked(bool checked) override;
    bool engineRebuildChecked() const override { return m_rebuild; }
    void setEngineRebuildChecked(bool checked) override;

    QString field(Field field) const { return m_fields.value(field); }
    QString cell(Grid grid, int column) const { return m_cells[int(grid)][size_t(column)]; }
    bool wotVisible() const { return m_wotVisible; }
    bool tempGridVisible() const { return m_tempVisible; }

    std::function<void()> onBreakInLimitClicked;
    std::function<void()> onEngineRebuildClicked;

private:
    QHash<Field, QString> m_fields;
    QString m_userData;
    std::array<std::array<QString, 8>, 3> m_cells;
    bool m_wotVisible = false;
    bool m_tempVisible = false;
    bool m_breakIn = false;
    bool m_rebuild = false;
};
