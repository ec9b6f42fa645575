#pragma once

#include <QChart>
#include <QColor>
#include <QDialog>

#include <array>

class Prompt;
class QBarSet;
class QChartView;
struct ModuleStatistics;

// The histogram window: the thirteen RPM band hours as bars, light blue at idle, yellow and
// red at the top of the range, green between. Modal; the chart keeps its design size.
class ChartWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr char DesignCaption[] = "Runlog - Histogram";
    static constexpr int Points = 13;

    ChartWindow(const ModuleStatistics &stats, const QString &makerName, Prompt &prompt, QWidget *parent = nullptr);

    // There is something to chart: at least one RPM band above zero.
    static bool hasData(const ModuleStatistics &stats);
    // The decimals a hours axis with this tick spacing needs so that no two labels read alike.
    static int labelDecimals(double spacing);

    QChart *chart() const { return m_chart; }
    double pointValue(int point) const;    // point 1..13
    QColor pointColour(int point) const;  // the colour its bar is drawn in
    // Draws the chart as the window shows it into a rectangle of any paint device.
    void render(QPainter &painter, const QRect &target);
    // Where a position of the chart lands when it is rendered into target.
    static QTransform placement(const QSizeF &chartSize, const QRect &target);

    static const QColor SeriesColour;

Q_SIGNALS:
    void printChartRequested();
    void printSetupRequested();

private:
    void load(const ModuleStatistics &stats, const QString &makerName, Prompt &prompt);
    void setPointColour(int point, const QColor &colour);

    QChartView *m_view;
    QChart *m_chart;
    std::array<QBarSet *, Points> m_bars{};
};
