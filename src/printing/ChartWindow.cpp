#include "ChartWindow.h"

#include "Twips.h"
#include "link/StepRunner.h"
#include "reports/ReportLayout.h"
#include "stats/ModuleStatistics.h"
#include "stats/NumberFormat.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QGraphicsLayout>
#include <QMenuBar>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>

const QColor ChartWindow::SeriesColour(0, 255, 0);

namespace {
QFont axisFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.6);
    font.setBold(true);
    return font;
}
}  // namespace

ChartWindow::ChartWindow(const ModuleStatistics &stats, const QString &makerName, Prompt &prompt, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmRunlog_Chart"));
    setWindowTitle(QString::fromLatin1(DesignCaption));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *menuBar = new QMenuBar(this);
    QMenu *file = menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *print = file->addAction(QStringLiteral("&Print Chart"));
    print->setObjectName(QStringLiteral("mnuPrintChart"));
    QAction *setup = file->addAction(QStringLiteral("Print Set&up"));
    setup->setObjectName(QStringLiteral("mnuPrintSetup"));
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(print, &QAction::triggered, this, &ChartWindow::printChartRequested);
    connect(setup, &QAction::triggered, this, &ChartWindow::printSetupRequested);
    connect(exit, &QAction::triggered, this, &QDialog::reject);

    // The client area below the menu, with the chart at its design place and size.
    auto *client = new QWidget(this);
    client->setFixedSize(Twips::rect(this, 0, 0, 9048, 6468).size());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar);
    layout->addWidget(client, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch();

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setBackgroundRoundness(0);
    m_view = new QChartView(m_chart, client);
    m_view->setObjectName(QStringLiteral("Chart2D1"));
    // One stop for the keyboard and a screen reader: the chart, named, with its values as
    // its description; its drawing surface is a part of it.
    m_view->setAccessibleName(QStringLiteral("Hours in RPM Bands"));
    m_view->viewport()->setFocusPolicy(Qt::NoFocus);
    m_view->setRenderHint(QPainter::Antialiasing);
    Twips::place(m_view, 120, 120, 8775, 6255);
    // Rendered before it was ever shown (a printout from the command line), the chart
    // must already know its size.
    m_chart->resize(m_view->size());

    auto *series = new QStackedBarSeries;
    series->setBarWidth(0.6);
    const QStringList labels = StatisticsReport::rpmBandLabels();
    for (int k = 0; k < Points; ++k) {
        // One set per point, holding only that point: each bar can have its own colour.
        auto *set = new QBarSet(labels[k]);
        for (int i = 0; i < Points; ++i)
            set->append(0);
        set->setColor(SeriesColour);
        set->setBorderColor(SeriesColour.darker(150));
        series->append(set);
        m_bars[size_t(k)] = set;
    }
    m_chart->addSeries(series);

    auto *x = new QBarCategoryAxis;
    x->append(labels);
    x->setTitleText(QStringLiteral("RPM"));
    auto *y = new QValueAxis;
    y->setTitleText(QStringLiteral("HOURS"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(x), static_cast<QAbstractAxis *>(y)}) {
        axis->setLabelsFont(axisFont());
        axis->setTitleFont(axisFont());
    }
    x->setLabelsAngle(-90);
    x->setTruncateLabels(false);
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);

    adjustSize();
    load(stats, makerName, prompt);
}

void ChartWindow::setPointColour(int point, const QColor &colour)
{
    m_bars[size_t(point - 1)]->setColor(colour);
    m_bars[size_t(point - 1)]->setBorderColor(colour.darker(150));
}

void ChartWindow::load(const ModuleStatistics &stats, const QString &makerName, Prompt &prompt)
{
    StepRunner s(prompt);
    s.operation([&] {
        m_chart->setAnimationOptions(QChart::NoAnimation);
        s.step([&] {
            for (int k = 0; k < Points; ++k)
                m_bars[size_t(k)]->replace(k, stats.RPMBandHours[size_t(k)]);
            auto *y = qobject_cast<QValueAxis *>(m_chart->axes(Qt::Vertical).value(0));
            const float highest = *std::max_element(stats.RPMBandHours.begin(), stats.RPMBandHours.end());
            y->setRange(0, highest > 0 ? highest * 1.1 : 1.0);
            y->applyNiceNumbers();
            // As many decimals as the spacing of the ticks needs: 0, 5, 10 or 0.0, 0.1, 0.2.
            const double spacing = (y->max() - y->min()) / qMax(1, y->tickCount() - 1);
            y->setLabelFormat(QStringLiteral("%.%1f").arg(labelDecimals(spacing)));
            return succeeded();
        });
        // What the bars show, for a screen reader.
        QStringList bars;
        const QStringList labels = StatisticsReport::rpmBandLabels();
        for (int k = 0; k < Points; ++k)
            bars << QStringLiteral("%1: %2 hours").arg(labels[k].trimmed(), NumberFormat::hours(stats.RPMBandHours[size_t(k)]));
        m_view->setAccessibleDescription(bars.join(QStringLiteral(", ")));
        setPointColour(1, QColor(128, 128, 255));
        setPointColour(11, QColor(255, 255, 0));
        setPointColour(12, QColor(255, 0, 0));
        setPointColour(13, QColor(255, 0, 0));
        setWindowTitle(makerName + QLatin1Char(' ') + windowTitle());
    });
}

int ChartWindow::labelDecimals(double spacing)
{
    constexpr int MostDecimals = 6;
    double scaled = spacing;
    for (int d = 0; d < MostDecimals; ++d, scaled *= 10)
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * qMax(1.0, scaled))
            return d;
    return MostDecimals;
}

bool ChartWindow::hasData(const ModuleStatistics &stats)
{
    return std::any_of(stats.RPMBandHours.begin(), stats.RPMBandHours.end(), [](float h) { return h > 0; });
}

double ChartWindow::pointValue(int point) const
{
    return m_bars[size_t(point - 1)]->at(point - 1);
}

QColor ChartWindow::pointColour(int point) const
{
    return m_bars[size_t(point - 1)]->color();
}

QTransform ChartWindow::placement(const QSizeF &chartSize, const QRect &target)
{
    const double scale = qMin(target.width() / chartSize.width(), target.height() / chartSize.height());
    QTransform t;
    t.translate(target.left(), target.top());
    t.scale(scale, scale);
    return t;
}

void ChartWindow::render(QPainter &painter, const QRect &target)
{
    // A chart that was never shown has not laid out its axes yet.
    m_chart->resize(m_view->size());
    if (QGraphicsLayout *layout = m_chart->layout())
        layout->activate();
    const QSizeF size = m_chart->size();
    painter.setTransform(placement(size, target), true);
    painter.setRenderHint(QPainter::Antialiasing);
    m_chart->scene()->render(&painter, QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), size));
}
