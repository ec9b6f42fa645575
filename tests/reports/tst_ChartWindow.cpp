#include "reports/Twips.h"
#include "reports/ChartWindow.h"
#include "app/DialogPrompt.h"
#include "app/ReportActions.h"
#include "reports/ReportPrinter.h"
#include "support/WindowRig.h"

#include <QChartView>
#include <QDialogButtonBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QValueAxis>
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
        const QColor idle(128, 128, 255), green(0, 255, 0), yellow(255, 255, 0), red(255, 0, 0);
        QCOMPARE(first->colours, (QList<QColor>{idle, green, green, green, green, green, green, green, green, green,
                                                yellow, red, red}));
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
        actions.keepPrinter();
        rig.click("cmdReadStats");
        printer.setOutputFileName(dir.filePath(QStringLiteral("button.pdf")));
        rig.click("cmdPrint");
        printer.setOutputFileName(dir.filePath(QStringLiteral("menu.pdf")));
        rig.window->findChild<QAction *>(QStringLiteral("mnuPrintStat"))->trigger();
        for (const char *file : {"button.pdf", "menu.pdf"})
            QVERIFY(QFileInfo(dir.filePath(QLatin1String(file))).size() > 1000);
        QCOMPARE(rig.prompt.shown().size(), 2);  // the comment box, each time
        QCOMPARE(rig.prompt.shown().last().title, QStringLiteral("Optional Information Entry"));
    }

    void hoursAxisLabelsReadTheirTicks_data()
    {
        QTest::addColumn<float>("highest");
        QTest::newRow("every band under an hour") << 0.4f;
        QTest::newRow("minutes") << 0.05f;
        QTest::newRow("a few hours") << 7.5f;
        QTest::newRow("a season") << 141.66f;
        QTest::newRow("the largest counter") << 610.75f;
    }

    void hoursAxisLabelsReadTheirTicks()
    {
        QFETCH(float, highest);
        ModuleStatistics stats;
        stats.RPMBandHours[4] = highest;
        stats.RPMBandHours[5] = highest / 3;
        ScriptedPrompt prompt;
        ChartWindow chart(stats, QStringLiteral("Korvane"), prompt);
        auto *y = qobject_cast<QValueAxis *>(chart.chart()->axes(Qt::Vertical).value(0));
        QVERIFY(y);
        QVERIFY(y->max() >= highest);
        QStringList labels;
        for (int i = 0; i < y->tickCount(); ++i) {
            const double tick = y->min() + i * (y->max() - y->min()) / (y->tickCount() - 1);
            const QString label = QString::asprintf(qPrintable(y->labelFormat()), tick);
            QVERIFY2(qAbs(label.toDouble() - tick) < 1e-9, qPrintable(label + QLatin1String(" for ") + QString::number(tick)));
            labels << label;
        }
        QCOMPARE(labels.removeDuplicates(), 0);
    }

    void printerSetupChoosesAndPrintingFollowsTheDefault()
    {
        if (!QPrinterInfo::defaultPrinterName().isEmpty())
            QSKIP("this machine has a printer: the no-printer path cannot be shown");
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        ReportActions actions(*rig.window, printer);
        rig.click("cmdReadStats");

        // A file left in the printer by an earlier choice is not where an unchosen printout goes.
        const QString stale = dir.filePath(QStringLiteral("stale.pdf"));
        printer.setOutputFileName(stale);
        rig.prompt.type(QString());
        rig.click("cmdPrint");
        QVERIFY(!QFile::exists(stale));
        QCOMPARE(rig.prompt.texts().last(), ReportPrinter::noPrinterText());

        // The set-up dialog chooses: its button is OK, not Print.
        QString title, ok;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            if (auto *buttons = dialog->findChild<QDialogButtonBox *>())
                ok = buttons->button(QDialogButtonBox::Ok)->text();
            dialog->reject();
        });
        rig.window->findChild<QAction *>(QStringLiteral("mnuPrintSetup"))->trigger();
        QCOMPARE(title, QStringLiteral("Printer Setup"));
        QCOMPARE(ok, QStringLiteral("OK"));

        // The comment box shows its whole title.
        DialogPrompt dialogs;
        int width = 0;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            width = box->width();
            qobject_cast<QDialog *>(box)->reject();
        });
        dialogs.input(QStringLiteral("Serial number or comment?"), QStringLiteral("Optional Information Entry"), {});
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY2(width >= QFontMetrics(bold).horizontalAdvance(QStringLiteral("Optional Information Entry")) + 120, qPrintable(QString::number(width)));
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
        QCOMPARE(rig.prompt.texts(), opens ? QStringList{} : QStringList{"Data buffer empty."});
        if (!opens)
            QCOMPARE(rig.prompt.shown().first().title + QString::number(rig.prompt.shown().first().style),
                     QStringLiteral("Chart RPM48"));
    }
};

QTEST_MAIN(tst_ChartWindow)
#include "tst_ChartWindow.moc"
