#include "printing/ChartWindow.h"
#include "app/ReportActions.h"
#include "printing/ReportPrinter.h"
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

    struct Opened {
        QString caption;
        QList<double> values;
        QList<QColor> colours;
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
            QTimer::singleShot(0, chart, [chart, o, &seen] {
                seen = o;
                chart->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
            });
        });
        rig.click("cmdHistogram");
        QObject::disconnect(c);
        return seen;
    }

private Q_SLOTS:
    void initTestCase() { useTestSettings(); }

    void opensWithTheBandsInTheirColours()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QPrinter printer;
        ReportActions actions(*rig.window, printer);
        rig.click("cmdReadStats");
        const auto first = openHistogram(rig, actions);
        QVERIFY(first);
        QVERIFY(first->modal);
        for (int k = 0; k < 13; ++k)
            QCOMPARE(float(first->values[k]), rig.shown().RPMBandHours[size_t(k)]);
        const QColor idle(128, 128, 255), green(0, 255, 0), yellow(255, 255, 0), red(255, 0, 0);
        QCOMPARE(first->colours, (QList<QColor>{idle, green, green, green, green, green, green, green, green, green,
                                                yellow, red, red}));
        QCOMPARE(first->caption, QStringLiteral("Korvane Runlog - Histogram"));
        QVERIFY2(rig.prompt.shown().isEmpty(), qPrintable(rig.prompt.texts().join('|')));

        // No hours in any RPM band, temperatures or not: nothing to chart.
        auto image = goldenImage(QStringLiteral("echo-full.bin"));
        std::fill(image.begin() + 64, image.begin() + 64 + 26, 0);
        rig.module.setEeprom(image);
        rig.click("cmdReadStats");
        QVERIFY(rig.shown().TempBandHours[0] > 0 && !openHistogram(rig, actions));
        QCOMPARE(rig.prompt.texts(), QStringList{"Data buffer empty."});
        ModuleStatistics lastBand = rig.shown();
        lastBand.RPMBandHours[12] = 0.01f;
        QVERIFY(ChartWindow::hasData(lastBand));
    }

    // A PDF chosen in Print Setup is printed to again and again: each time the user is asked
    // before the last one is replaced, and told where the printout went. Until it is chosen,
    // a file left in the printer by an earlier choice is not where a printout goes.
    void printingToAFileAsksBeforeReplacingAndSaysWhere_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("files");  // what one printout writes
        QTest::newRow("statistics") << "cmdPrint" << QStringList{"out.pdf"};
        QTest::newRow("chart, and its temperatures beside it") << "mnuPrintChart" << QStringList{"out.pdf", "out-2.pdf"};
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
        const auto print = [&] { rig.click(button == QLatin1String("cmdPrint") ? "cmdPrint" : "cmdHistogram"); };
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
        const auto boxTitles = [&] {
            QStringList titles;
            for (const auto &box : rig.prompt.shown())
                titles << box.title;
            return titles;
        };

        print();
        QCOMPARE(contents(), QStringList(files.size(), QStringLiteral("%PDF")));
        QVERIFY(!boxTitles().contains(QStringLiteral("Print to File")));
        QCOMPARE(rig.window->statusBar()->currentMessage(), QStringLiteral("Printed to %1.").arg(files.join(" and ")));

        // The user's answer decides: No keeps every file as it is and prints nothing (not
        // even the comment box comes), Yes replaces them.
        for (const Box::Answer answer : {Box::No, Box::Yes}) {
            for (const QString &f : files) {
                QFile file(f);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
            }
            rig.window->statusBar()->clearMessage();
            rig.prompt.clear();
            rig.prompt.answer({answer});
            print();
            QCOMPARE(boxTitles().first(), QStringLiteral("Print to File"));
            QVERIFY2(rig.prompt.texts().first().contains(files.last()), qPrintable(rig.prompt.texts().first()));
            QCOMPARE(boxTitles().size(), answer == Box::No ? 1 : 2);
            QCOMPARE(contents(), QStringList(files.size(), answer == Box::No ? QStringLiteral("kept") : QStringLiteral("%PDF")));
            QCOMPARE(rig.window->statusBar()->currentMessage().isEmpty(), answer == Box::No);
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
