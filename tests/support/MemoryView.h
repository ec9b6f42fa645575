#pragma once

#include "stats/StatisticsView.h"

#include <QHash>

#include <array>

// The statistics view kept in memory: what the main window would show.
class MemoryView : public StatisticsView {
public:
    void setField(Field field, const QString &caption) override { m_fields[field] = caption; }
    void setUserDataText(const QString &text) override { m_userData = text; }
    void setCell(Grid grid, int column, const QString &text) override { m_cells[int(grid)][size_t(column)] = text; }
    void setWotVisible(bool) override {}
    void setTempGridVisible(bool visible) override { m_tempVisible = visible; }
    bool breakInLimitChecked() const override { return m_breakIn; }
    void setBreakInLimitChecked(bool checked) override { m_breakIn = checked; }
    bool engineRebuildChecked() const override { return m_rebuild; }
    void setEngineRebuildChecked(bool checked) override { m_rebuild = checked; }

    QString field(Field field) const { return m_fields.value(field); }
    QString cell(Grid grid, int column) const { return m_cells[int(grid)][size_t(column)]; }
    QString userData() const { return m_userData; }
    bool tempGridVisible() const { return m_tempVisible; }
    // Every value shown, fields, text and cells, as one text: empty when nothing is shown.
    QString values() const
    {
        QString all = m_userData;
        for (const QString &f : m_fields)
            all += f;
        for (const auto &grid : m_cells)
            for (const QString &c : grid)
                all += c;
        return all;
    }

private:
    QHash<Field, QString> m_fields;
    QString m_userData;
    std::array<std::array<QString, 8>, 3> m_cells;
    bool m_tempVisible = false;
    bool m_breakIn = false;
    bool m_rebuild = false;
};
