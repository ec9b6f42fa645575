#include "printing/ChartWindow.h"
#include "app/ReportActions.h"
#include "printing/ReportPrinter.h"
#include "support/ReportSample.h"
#include "support/WindowRig.h"

#include <QPrinterInfo>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QPrinter>
#include <QTest>
#include <QTimer>

// The histogram window as the main window opens it, offscreen.
class tst_ChartWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useTestSettings(); }

    void opensWithTheBandsInTheirColours()
    {
        ScriptedPrompt prompt;
        ModuleStatistics s = sampleRecord(3, true);
        ChartWindow chart(s, QStringLiteral("Korvane"), prompt);
        QVERIFY(chart.isModal());
        QCOMPARE(chart.windowTitle(), QStringLiteral("Korvane Runlog - Histogram"));
        QList<QColor> colours;
        for (int k = 0; k < 13; ++k) {
            QCOMPARE(float(chart.pointValue(k + 1)), s.RPMBandHours[size_t(k)]);
            colours << chart.pointColour(k + 1);
        }
        const QColor idle(128, 128, 255), green(0, 255, 0), yellow(255, 255, 0), red(255, 0, 0);
        QCOMPARE(colours, (QList<QColor>{idle, green, green, green, green, green, green, green, green, green, yellow, red, red}));
        s.RPMBandHours.fill(0);
        s.RPMBandHours[12] = 0.01f;
        QVERIFY(ChartWindow::hasData(s));

        // No hours in any RPM band, temperatures or not: nothing to chart.
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QPrinter printer;
        ReportActions actions(*rig.window, printer);
        connect(&actions, &ReportActions::chartOpened, this, [](QWidget *w) { QTimer::singleShot(0, w, &QWidget::close); });
        auto image = goldenImage(QStringLiteral("echo-full.bin"));
        std::fill(image.begin() + 64, image.begin() + 64 + 26, 0);
        rig.module.setEeprom(image);
        rig.click("cmdReadStats");
        rig.click("cmdHistogram");
        QVERIFY(rig.shown().TempBandHours[0] > 0);
        QCOMPARE(rig.prompt.texts(), QStringList{"Data buffer empty."});
    }

    // A PDF chosen in Print Setup is printed to again and again: each time the user is asked
    // before the last one is replaced, and told where the printout went. Until it is chosen,
    // a file left in the printer by an earlier choice is not where a printout goes.
    void printingToAFileAsksBeforeReplacingAndSaysWhere_data()
    {
        QTest::addColumn<QString>("button");  // the histogram's prints from its menu
        QTest::addColumn<QStringList>("files");  // what one printout writes
        QTest::newRow("statistics") << "cmdPrint" << QStringList{"out.pdf"};
        QTest::newRow("chart, and its temperatures beside it") << "cmdHistogram" << QStringList{"out.pdf", "out-2.pdf"};
    }

    void printingToAFileAsksBeforeReplacingAndSaysWhere()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, files);
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QTemporaryDir dir;
        for (QString &f : files)
            f = dir.filePath(f);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(files.first());
        ReportActions actions(*rig.window, printer);
        rig.click("cmdReadStats");
        connect(&actions, &ReportActions::chartOpened, this, [&](QWidget *chart) {
            QTimer::singleShot(0, chart, [chart] {
                chart->findChild<QAction *>(QStringLiteral("mnuPrintChart"))->trigger();
                chart->close();
            });
        });
        const auto print = [&] { rig.click(qPrintable(button)); };
        if (QPrinterInfo::defaultPrinterName().isEmpty()) {  // else it would be printed
            rig.prompt.type(QString());
            print();
            QVERIFY(!QFile::exists(files.first()));
            QCOMPARE(rig.prompt.texts().last(), ReportPrinter::noPrinterText());
            rig.prompt.clear();
        }
        // Print Setup, accepted as it opens on the file named.
        printer.setOutputFileName(files.first());
        QTimer::singleShot(0, this, [] {
            if (auto *setup = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                setup->accept();
        });
        actions.printSetup();
        const auto contents = [&] {
            QStringList heads;
            for (const QString &f : files) {
                QFile file(f);
                heads << (file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.read(4)) : QString());
            }
            return heads;
        };

        // The first time nothing is there to replace; then the user's answer decides: No
        // keeps every file as it is and prints nothing (not even the comment box comes),
        // Yes replaces them.
        for (const Box::Answer answer : {Box::Ignore, Box::No, Box::Yes}) {  // Ignore: not asked
            const bool asked = answer != Box::Ignore;
            for (const QString &f : files)
                QVERIFY(!asked || writeFile(f, "kept"));
            rig.window->statusBar()->clearMessage();
            rig.prompt.clear();
            if (asked)
                rig.prompt.answer({answer});
            print();
            QCOMPARE(rig.prompt.shown().value(0).title == QStringLiteral("Print to File"), asked);
            QVERIFY2(!asked || rig.prompt.texts().value(0).contains(files.last()), qPrintable(rig.prompt.texts().value(0)));
            QCOMPARE(rig.prompt.shown().size(), answer == Box::No ? 1 : 1 + asked);
            QCOMPARE(contents(), QStringList(files.size(), answer == Box::No ? QStringLiteral("kept") : QStringLiteral("%PDF")));
            QCOMPARE(rig.window->statusBar()->currentMessage(),
                     answer == Box::No ? QString() : QStringLiteral("Printed to %1.").arg(files.join(" and ")));
        }
    }

    // A download that did not complete is printed or charted only when the user says so.
    void anIncompleteDownloadIsNamedBeforeItIsPrinted_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("goOn");
        QTest::newRow("histogram, OK") << "cmdHistogram" << true;
        QTest::newRow("print, cancelled") << "cmdPrint" << false;
    }

    void anIncompleteDownloadIsNamedBeforeItIsPrinted()
    {
        QFETCH(QString, button);
        QFETCH(bool, goOn);
        WindowRig rig(true, QStringLiteral("echo-full.bin"), {QStringLiteral("Status_Display_True")});
        QPrinter printer;
        ReportActions actions(*rig.window, printer);
        rig.module.faults().nakAddressAt = 53;
        rig.click("cmdReadStats");
        rig.prompt.clear();
        rig.prompt.answer({goOn ? Box::Ok : Box::Cancel});
        bool opened = false;
        connect(&actions, &ReportActions::chartOpened, this, [&](QWidget *chart) {
            opened = true;
            QTimer::singleShot(0, chart, &QWidget::close);
        });
        rig.click(qPrintable(button));
        QVERIFY(!rig.prompt.shown().isEmpty());
        QCOMPARE(rig.prompt.shown().first().title, QStringLiteral("Incomplete Download"));
        QVERIFY2(rig.prompt.texts().first().contains(QLatin1String("the status byte")), qPrintable(rig.prompt.texts().first()));
        QCOMPARE(rig.prompt.shown().size(), 1);  // cancelled: no comment box, no printout
        QCOMPARE(opened, goOn);
    }
};

QTEST_MAIN(tst_ChartWindow)
#include "tst_ChartWindow.moc"
