#include "app/Twips.h"
#include "reports/ChartWindow.h"
#include "reports/ReportActions.h"
#include "support/WindowRig.h"

#include <QChartView>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QMenuBar>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

// The histogram window as the main window opens it, offscreen.
class tst_ChartWindow : public QObject {
    Q_OBJECT

    struct Opened {
        QString caption;
        QList<double> values;
        QList<QColor> colours;
        QRect chartGeometry;
        QRect afterResize;
        QStringList menu;
        bool modal = false;
    };

    // Opens the histogram, records what it shows, and closes it.
    static std::optional<Opened> openHistogram(WindowRig &rig, ReportActions &actions)
    {
        std::optional<Opened> seen;
        const auto c = QObject::connect(&actions, &ReportActions::chartOpened, [&](QWidget *w) {
            auto *chart = static_cast<ChartWindow *>(w);
            Opened o;
            o.caption = chart->windowTitle();
            for (int p = 1; p <= 13; ++p) {
                o.values << chart->pointValue(p);
                o.colours << chart->pointColour(p);
            }
            o.modal = chart->isModal();
            for (QAction *a : chart->findChild<QMenuBar *>()->actions().first()->menu()->actions())
                o.menu << a->text();
            QTimer::singleShot(0, chart, [chart, o, &seen]() mutable {
                o.chartGeometry = chart->chartView()->geometry();
                chart->resize(chart->width() + 200, chart->height() + 150);
                QCoreApplication::processEvents();
                o.afterResize = chart->chartView()->geometry();
                seen = o;
                chart->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
            });
        });
        rig.click("cmdHistogram");
        QObject::disconnect(c);
        return seen;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Runlog-tests"));
    }

    void opensWithTheBandsInTheirColours()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QPrinter printer;
        ReportActions actions(*rig.window, printer);
        rig.click("cmdReadStats");
        const auto first = openHistogram(rig, actions);
        QVERIFY(first);
        QCOMPARE(first->caption, QStringLiteral("Korvane Runlog - Histogram"));
        QVERIFY(first->modal);
        QCOMPARE(first->menu, (QStringList{"&Print Chart", "Print Set&up", "E&xit"}));
        for (int k = 0; k < 13; ++k)
            QCOMPARE(float(first->values[k]), rig.stats.RPMBandHours[size_t(k)]);
        const QColor green(0, 255, 0);
        QCOMPARE(first->colours[0], QColor(128, 128, 255));
        for (int k = 1; k <= 9; ++k)
            QCOMPARE(first->colours[k], green);
        QCOMPARE(first->colours[10], QColor(255, 255, 0));
        QCOMPARE(first->colours[11], QColor(255, 0, 0));
        QCOMPARE(first->colours[12], QColor(255, 0, 0));
        // The chart keeps its design place and size when the window is resized.
        const int dpi = rig.window->logicalDpiX();
        QCOMPARE(first->chartGeometry, QRect(Twips::toPixels(120, dpi), Twips::toPixels(120, dpi),
                                             Twips::toPixels(8775, dpi), Twips::toPixels(6255, dpi)));
        QCOMPARE(first->afterResize, first->chartGeometry);

        // Opened again: the caption prefix once, and the values of now.
        rig.module.setEeprom(goldenImage(QStringLiteral("echo-plain-flags0.bin")));
        rig.click("cmdReadStats");
        const auto second = openHistogram(rig, actions);
        QVERIFY(second);
        QCOMPARE(second->caption, QStringLiteral("Korvane Runlog - Histogram"));
        QCOMPARE(float(second->values[2]), rig.stats.RPMBandHours[2]);
        QVERIFY2(rig.prompt.shown().isEmpty(), qPrintable(rig.prompt.texts().join('|')));
    }

    void printStatisticsFromButtonAndMenu()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        ReportActions actions(*rig.window, printer);
        rig.click("cmdReadStats");
        printer.setOutputFileName(dir.filePath(QStringLiteral("button.pdf")));
        rig.click("cmdPrint");
        printer.setOutputFileName(dir.filePath(QStringLiteral("menu.pdf")));
        rig.window->findChild<QAction *>(QStringLiteral("mnuPrintStat"))->trigger();
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("button.pdf"))).size() > 1000);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("menu.pdf"))).size() > 1000);
        QCOMPARE(rig.prompt.shown().size(), 2);  // the comment box, each time
        QCOMPARE(rig.prompt.shown().last().title, QStringLiteral("Optional Information Entry"));
    }

    void emptyBuffer_data()
    {
        QTest::addColumn<int>("positiveBand");  // -1: none
        QTest::addColumn<bool>("temperaturesOnly");
        QTest::addColumn<bool>("opens");
        QTest::newRow("no download") << -1 << false << false;
        QTest::newRow("temperatures alone") << -1 << true << false;
        QTest::newRow("only the last band") << 12 << false << true;
    }

    void emptyBuffer()
    {
        QFETCH(int, positiveBand);
        QFETCH(bool, temperaturesOnly);
        QFETCH(bool, opens);
        WindowRig rig;
        QPrinter printer;
        ReportActions actions(*rig.window, printer);
        if (positiveBand >= 0)
            rig.stats.RPMBandHours[size_t(positiveBand)] = 0.01f;
        if (temperaturesOnly)
            rig.stats.TempBandHours.fill(3.0f);
        const auto opened = openHistogram(rig, actions);
        QCOMPARE(opened.has_value(), opens);
        if (!opens) {
            QCOMPARE(rig.prompt.shown().size(), 1);
            QCOMPARE(rig.prompt.shown().first().text, QStringLiteral("Data buffer empty."));
            QCOMPARE(rig.prompt.shown().first().title, QStringLiteral("Chart RPM"));
            QCOMPARE(rig.prompt.shown().first().style, 48);
        }
    }
};

QTEST_MAIN(tst_ChartWindow)
#include "tst_ChartWindow.moc"
