#include "stats/Download.h"
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
    // What the window tests cannot see: what goes over the line, and what the record keeps.
    void download_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<bool>("statusDisplay");
        QTest::addColumn<bool>("temperaturesRead");
        QTest::addColumn<bool>("complete");

        QTest::newRow("echoing, flags 3, status on") << "echo-full.bin" << true << true << true << true;
        QTest::newRow("plain, flags 1, status off") << "plain-wot.bin" << false << false << false << true;
        QTest::newRow("echoing, flags 0") << "echo-plain-flags0.bin" << true << true << false << true;
        QTest::newRow("plain claiming temperatures") << "plain-temps.bin" << false << true << true << false;
    }

    void download()
    {
        QFETCH(QString, image);
        QFETCH(bool, echoes);
        QFETCH(bool, statusDisplay);
        QFETCH(bool, temperaturesRead);
        QFETCH(bool, complete);

        OperationsRig rig(echoes, image, statusDisplay);
        const auto before = rig.module.eeprom();
        QVERIFY(rig.operations.readStatistics());

        QCOMPARE(rig.operations.lastReadComplete(), complete);
        QCOMPARE(rig.prompt.texts(), complete ? QStringList{} : QStringList{Timeout});
        QCOMPARE(rig.trace.first(), QStringLiteral("delay 500"));
        const QString statusAddress = QStringLiteral("write %1").arg(echoes ? "35" : "94");
        QCOMPARE(rig.trace.contains(statusAddress), statusDisplay);
        QCOMPARE(rig.trace.contains(QStringLiteral("write 90")), temperaturesRead);
        QCOMPARE(rig.module.eeprom(), before);
        QVERIFY(!rig.link.isPortOpen());
        QVERIFY(rig.stats.WOTTotalHrs <= rig.stats.TotalHrs);
        QCOMPARE(rig.stats.UserData.size(), 32);
    }

    void aFailedReadKeepsNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("user-data address not acknowledged") << "nak";
        QTest::newRow("user-data read times out") << "silent";
        QTest::newRow("port gone before the ID command") << "unplugged";
        QTest::newRow("ID begins with its terminator") << "terminator";
    }

    void aFailedReadKeepsNothing()
    {
        QFETCH(QString, fault);
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        int kept = 0;
        rig.operations.keep = [&](const Download &) -> std::optional<QString> { ++kept; return {}; };
        rig.operations.readStatistics();
        QVERIFY(!rig.stats.UserData.trimmed().isEmpty() && !rig.stats.FirmwareID.isEmpty());
        if (fault == QLatin1String("nak"))
            rig.module.faults().nakAddressAt = 112;
        else if (fault == QLatin1String("silent"))
            rig.module.faults().silentAfter = rig.module.commandCount() + 1;
        else if (fault == QLatin1String("unplugged"))
            rig.port.setAvailablePorts({2});
        else
            rig.module.faults().idStartsWithTerminator = true;
        const ModuleStatistics previous = rig.stats;
        rig.prompt.clear();
        rig.operations.readStatistics();
        QVERIFY(!rig.operations.lastReadComplete() && kept == 1);  // a failed download is not kept
        QCOMPARE(rig.stats.UserData + rig.view.userDataText(), QString());
        if (fault == QLatin1String("unplugged"))
            QCOMPARE(rig.stats.FirmwareID, QString());
        if (fault == QLatin1String("terminator")) {
            QCOMPARE(rig.prompt.texts(), (QStringList{"Firmware ID - unexpected terminator.",
                                                      "Firmware ID read failed - cannot read Runlog."}));
            // The display is emptied; the record keeps the counters but not the bands.
            QCOMPARE(rig.view.field(Field::TotalHrs) + rig.view.cell(Grid::HoursLow, 1), QString());
            QCOMPARE(rig.stats.RPMBandHours, (std::array<float, 13>{}));
            QCOMPARE(rig.stats.TotalHrs, previous.TotalHrs);
            QCOMPARE(rig.stats.TempBandHours, previous.TempBandHours);
        }
    }

    void aCompletedDownloadIsKeptAsTheModuleHoldsIt()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        QList<Download> kept;
        rig.operations.keep = [&](const Download &d) -> std::optional<QString> {
            kept << d;
            return std::nullopt;
        };
        rig.operations.readStatistics();
        QCOMPARE(kept.size(), 1);
        const auto &image = rig.module.eeprom();
        const Download &d = kept.first();
        QVERIFY(std::equal(d.statistics.begin(), d.statistics.end(), image.begin() + 64));
        QVERIFY(std::equal(d.temperatures->begin(), d.temperatures->end(), image.begin() + 144));
        QCOMPARE(d.userData, QByteArray(reinterpret_cast<const char *>(image.data()) + 112, 32));
        QCOMPARE(int(d.status.value()), int(image[53]));
        QCOMPARE(d.firmwareID, QStringLiteral("RL-7.02"));
        QVERIFY(d.moduleEchoes);
    }

    void aModuleWithLessAfterOneWithMore()
    {
        // Without the clear flag the break-in box is set back to checked while the flag itself
        // says false, and cannot be unchecked; temperatures not recorded are hidden. Nothing asks.
        OperationsRig rig(true, QStringLiteral("echo-full.bin"), true, false);
        rig.operations.readStatistics();
        QVERIFY(rig.view.breakInLimitChecked() && rig.view.engineRebuildChecked());
        rig.module.setEeprom(goldenImage(QStringLiteral("echo-plain-flags0.bin")));
        rig.operations.readStatistics();
        QVERIFY(!rig.stats.BreakInLimit && rig.view.breakInLimitChecked() && !rig.view.engineRebuildChecked());
        rig.view.setBreakInLimitChecked(false);
        QVERIFY(rig.view.breakInLimitChecked() && !rig.view.tempGridVisible() && rig.prompt.shown().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ReadStatistics)
#include "tst_ReadStatistics.moc"
