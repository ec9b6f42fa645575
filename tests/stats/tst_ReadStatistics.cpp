#include "support/OperationsRig.h"

#include <QTest>

using Field = StatisticsView::Field;
using Grid = StatisticsView::Grid;

namespace {
const QString Timeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
}

class tst_ReadStatistics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void download_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<bool>("statusDisplay");
        QTest::addColumn<QStringList>("fields");  // total, WOT, limit, max RPM, starts
        QTest::addColumn<float>("wotStored");
        QTest::addColumn<bool>("tempShown");
        QTest::addColumn<int>("status");  // -1: not read
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("flags 3, WOT above total, status on")
            << "echo-full.bin" << true << true << QStringList{"141.66", "186.39", "124.45", "6687", "1234"}
            << 141.65555f << true << 0xC5 << true << QStringList{};
        QTest::newRow("flags 3, status off")
            << "echo-full.bin" << true << false << QStringList{"141.66", "186.39", "124.45", "6687", "1234"}
            << 141.65555f << true << -1 << true << QStringList{};
        QTest::newRow("flags 1, plain, counters at their top")
            << "plain-wot.bin" << false << true << QStringList{"141.66", "13.98", "8585.08", "7968", "65535"}
            << 13.979167f << false << 0x47 << true << QStringList{};
        QTest::newRow("flags 0, total high byte 255")
            << "echo-plain-flags0.bin" << true << true << QStringList{"613.14", "", "0.13", "31", "7"} << 0.0f << false
            << 0x00 << true << QStringList{};
        QTest::newRow("flags 3 on a plain module: no temperature block")
            << "plain-temps.bin" << false << true << QStringList{"140.74", "13.98", "124.45", "6687", "1234"}
            << 13.979167f << true << 0x05 << false << QStringList{Timeout};
    }

    void download()
    {
        QFETCH(QString, image);
        QFETCH(bool, echoes);
        QFETCH(bool, statusDisplay);
        QFETCH(QStringList, fields);
        QFETCH(float, wotStored);
        QFETCH(bool, tempShown);
        QFETCH(int, status);
        QFETCH(bool, complete);
        QFETCH(QStringList, messages);

        OperationsRig rig(echoes, image, statusDisplay, false, "A&B 7.02");
        const auto before = rig.module.eeprom();
        QVERIFY(rig.operations.readStatistics());

        QCOMPARE(rig.prompt.texts(), messages);
        QCOMPARE(rig.operations.lastReadComplete(), complete);
        QCOMPARE(rig.view.field(Field::FirmwareID), QStringLiteral("A&&B 7.02"));
        QCOMPARE(rig.stats.FirmwareID, QStringLiteral("A&B 7.02"));
        QCOMPARE(rig.view.field(Field::TotalHrs), fields[0]);
        QCOMPARE(rig.view.field(Field::WOTTotalHrs), fields[1]);
        QCOMPARE(rig.view.field(Field::LimitSecs), fields[2]);
        QCOMPARE(rig.view.field(Field::MaxRPM), fields[3]);
        QCOMPARE(rig.view.field(Field::EngStarts), fields[4]);
        QCOMPARE(rig.view.wotVisible(), !fields[1].isEmpty());
        QCOMPARE(rig.stats.WOTTotalHrs, wotStored);
        QVERIFY(rig.stats.WOTTotalHrs <= rig.stats.TotalHrs);
        QCOMPARE(rig.view.tempGridVisible(), tempShown);
        QCOMPARE(rig.view.cell(Grid::HoursLow, 1).isEmpty(), false);
        QCOMPARE(rig.view.cell(Grid::HoursHigh, 7), QString());
        QCOMPARE(rig.view.cell(Grid::TempHours, 1).isEmpty(), !tempShown);

        // The user text is trimmed on screen and kept whole in the record.
        QCOMPARE(rig.stats.UserData.size(), 32);
        QCOMPARE(rig.view.userDataText(), rig.stats.UserData.trimmed());

        const int statusAddress = echoes ? 53 : 148;
        const QString statusCommand = QStringLiteral("write %1").arg(statusAddress, 2, 16, QLatin1Char('0'));
        QCOMPARE(rig.trace.contains(statusCommand), status >= 0);
        if (status >= 0) {
            QCOMPARE(int(rig.stats.ModuleStatus), status);
            QCOMPARE(rig.view.breakInLimitChecked(), bool(status & 0x40));
            QCOMPARE(rig.view.engineRebuildChecked(), bool(status & 0x80));
        } else {
            QVERIFY(!rig.view.breakInLimitChecked() && !rig.stats.BreakInLimit);
        }
        // The temperature block is read only when the flags say so.
        QCOMPARE(rig.trace.contains(QStringLiteral("write 90")), tempShown);
        QVERIFY(!rig.link.isPortOpen());
        QCOMPARE(rig.module.eeprom(), before);
        QVERIFY(rig.prompt.shown().isEmpty() || rig.prompt.shown().first().title == QLatin1String("Error"));
        // Pacing: the half-second pause before the ID.
        QCOMPARE(rig.trace.first(), QStringLiteral("delay 500"));
    }

    void failedIdKeepsThePreviousDownload()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.operations.readStatistics();
        const ModuleStatistics previous = rig.stats;
        rig.module.faults().idStartsWithTerminator = true;
        rig.prompt.clear();
        rig.operations.readStatistics();

        QCOMPARE(rig.prompt.texts(), (QStringList{"Firmware ID - unexpected terminator.",
                                                  "Firmware ID read failed - cannot read Runlog."}));
        const auto &box = rig.prompt.shown().last();
        QCOMPARE(box.title, QStringLiteral("Runlog"));
        QCOMPARE(box.style, 48);
        QVERIFY(!rig.operations.lastReadComplete());
        for (Field f : {Field::FirmwareID, Field::TotalHrs, Field::WOTTotalHrs, Field::LimitSecs, Field::MaxRPM,
                        Field::EngStarts})
            QCOMPARE(rig.view.field(f), QString());
        QCOMPARE(rig.view.userDataText(), QString());
        for (int c = 1; c <= 7; ++c)
            QCOMPARE(rig.view.cell(Grid::HoursLow, c), QString());
        QCOMPARE(rig.stats.RPMBandHours, (std::array<float, 13>{}));
        QCOMPARE(rig.stats.TotalHrs, previous.TotalHrs);
        QCOMPARE(rig.stats.WOTTotalHrs, previous.WOTTotalHrs);
        QCOMPARE(rig.stats.LimitSecs, previous.LimitSecs);
        QCOMPARE(rig.stats.MaxRPM, previous.MaxRPM);
        QCOMPARE(rig.stats.EngStarts, previous.EngStarts);
        QCOMPARE(rig.stats.TempBandHours, previous.TempBandHours);
        QCOMPARE(rig.stats.ModuleStatus, previous.ModuleStatus);
        QCOMPARE(rig.view.breakInLimitChecked(), true);
        QVERIFY(!rig.link.isPortOpen());
    }

    void temperaturesKeepTheirValuesWhenNotRecorded()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.operations.readStatistics();
        const auto temps = rig.stats.TempBandHours;
        rig.module.setEeprom(goldenImage(QStringLiteral("echo-plain-flags0.bin")));
        rig.operations.readStatistics();
        QCOMPARE(rig.stats.TempBandHours, temps);
        QVERIFY(!rig.view.tempGridVisible());
        QCOMPARE(rig.view.cell(Grid::TempHours, 1), QString());
    }

    void clearDataNeverTouchesTheModule()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.operations.readStatistics();
        rig.trace.clear();
        const int opened = rig.port.openCount();
        rig.operations.clearData();
        QVERIFY(rig.trace.isEmpty());
        QCOMPARE(rig.port.openCount(), opened);
        QVERIFY(rig.view.wotVisible());
        QVERIFY(rig.view.breakInLimitChecked());
    }

    void breakInBoxWithoutTheClearFlag()
    {
        // A module with bit 6 clear after one with it set: without the clear flag the box
        // is set back to checked while the flag itself says false.
        OperationsRig rig(true, QStringLiteral("echo-full.bin"), true, false);
        rig.operations.readStatistics();
        QVERIFY(rig.view.breakInLimitChecked());
        rig.module.setEeprom(goldenImage(QStringLiteral("echo-plain-flags0.bin")));
        rig.operations.readStatistics();
        QVERIFY(!rig.stats.BreakInLimit);
        QVERIFY(rig.view.breakInLimitChecked());
        QVERIFY(!rig.view.engineRebuildChecked());
        QVERIFY(rig.prompt.shown().isEmpty());
    }

    void secondRequestDuringADownloadIsRefused()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        int refused = 0;
        int writesDuring = 0;
        rig.port.setTrace([&](const QString &event) {
            rig.trace.append(event);
            if (event == QLatin1String("write 10")) {
                refused += rig.operations.readStatistics() ? 0 : 1;
                refused += rig.operations.writeUserData() ? 0 : 1;
                refused += rig.operations.eraseRpmLimitData() ? 0 : 1;
                writesDuring = rig.trace.count(QStringLiteral("write 10"));
            }
        });
        QVERIFY(rig.operations.readStatistics());
        QCOMPARE(refused, 3);
        QCOMPARE(writesDuring, 1);
        QCOMPARE(rig.trace.count(QStringLiteral("write 10")), 1);
        QVERIFY(!rig.operations.busy());
        QVERIFY(rig.operations.lastReadComplete());
    }
};

QTEST_GUILESS_MAIN(tst_ReadStatistics)
#include "tst_ReadStatistics.moc"
