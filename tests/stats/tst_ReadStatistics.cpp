#include "reports/ReportLayout.h"
#include "support/OperationsRig.h"

#include <QTest>

using Field = StatisticsView::Field;
using Grid = StatisticsView::Grid;

namespace {
const QString Timeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
}

Q_DECLARE_METATYPE(ModuleParts)

class tst_ReadStatistics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What the window tests cannot see: what goes over the line, and what the download holds.
    void download_data()
    {
        QTest::addColumn<QString>("image");  // echo-*: an echoing module
        QTest::addColumn<bool>("statusDisplay");
        QTest::addColumn<bool>("temperaturesRead");
        QTest::addColumn<bool>("complete");

        QTest::newRow("echoing, flags 3, status on") << "echo-full.bin" << true << true << true;
        QTest::newRow("plain, flags 1, status off") << "plain-wot.bin" << false << false << true;
        QTest::newRow("echoing, flags 0") << "echo-plain-flags0.bin" << true << false << true;
        QTest::newRow("plain claiming temperatures") << "plain-temps.bin" << true << true << false;
    }

    void download()
    {
        QFETCH(QString, image);
        QFETCH(bool, statusDisplay);
        QFETCH(bool, temperaturesRead);
        QFETCH(bool, complete);

        const bool echoes = image.startsWith(QLatin1String("echo"));
        OperationsRig rig(echoes, image, statusDisplay);
        const auto before = rig.module.eeprom();
        QList<Download> kept;
        rig.keepInto(kept);
        const ReadOutcome outcome = rig.operations.readStatistics();

        QCOMPARE(outcome.complete(), complete);
        QCOMPARE(outcome.download.unread, complete ? ModuleParts{} : ModuleParts{ModulePart::Temperatures});
        QCOMPARE(rig.prompt.texts(), complete ? QStringList{} : QStringList{Timeout});
        QCOMPARE(rig.trace.first(), QStringLiteral("delay 500"));
        const QString statusAddress = QStringLiteral("write %1").arg(echoes ? "35" : "94");
        QCOMPARE(rig.trace.contains(statusAddress), statusDisplay);
        QCOMPARE(rig.trace.contains(QStringLiteral("write 90")), temperaturesRead);
        QCOMPARE(outcome.download.status.has_value(), statusDisplay);
        QCOMPARE(rig.module.eeprom(), before);
        QVERIFY(!rig.link.isPortOpen());
        const ModuleStatistics s = outcome.download.decode();
        QVERIFY(s.WOTTotalHrs <= s.TotalHrs);
        QCOMPARE(s.UserData.size(), 32);
        // Kept when complete, as the module holds it.
        QCOMPARE(kept.size(), complete ? 1 : 0);
        if (complete) {
            const Download &d = kept.first();
            QVERIFY(std::equal(d.statistics.begin(), d.statistics.end(), before.begin() + (echoes ? 64 : 160)));
            QVERIFY(!d.temperatures || std::equal(d.temperatures->begin(), d.temperatures->end(), before.begin() + 144));
            QCOMPARE(d.userData, QByteArray(reinterpret_cast<const char *>(before.data()) + (echoes ? 112 : 224), 32));
            QCOMPARE(d.status.value_or(0), statusDisplay ? before[echoes ? 53 : 148] : 0);
            QVERIFY(d.moduleEchoes == echoes && d.complete());
        }
    }

    // After a complete download of one module, a read of another that does not complete
    // shows, prints and keeps nothing of the first: what it did not get is blank.
    void nothingOfAnEarlierDownloadSurvives_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("at");
        QTest::addColumn<ModuleParts>("unread");
        QTest::addColumn<QString>("totalShown");

        const ModuleParts all = ModulePart::FirmwareId | ModulePart::UserData | ModulePart::Statistics | ModulePart::Status;
        QTest::newRow("user-data address refused") << "nak" << 112 << ModuleParts(ModulePart::UserData) << "613.14";
        QTest::newRow("statistics address refused") << "nak" << 64 << ModuleParts(ModulePart::Statistics) << "";
        QTest::newRow("statistics read cut off") << "lose" << 40 << ModuleParts(ModulePart::Statistics) << "";
        QTest::newRow("status address refused") << "nak" << 53 << ModuleParts(ModulePart::Status) << "613.14";
        QTest::newRow("ID begins with its terminator") << "terminator" << 0 << all << "";
        QTest::newRow("port gone") << "unplugged" << 0 << all << "";
    }

    void nothingOfAnEarlierDownloadSurvives()
    {
        QFETCH(QString, fault);
        QFETCH(int, at);
        QFETCH(ModuleParts, unread);
        QFETCH(QString, totalShown);

        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        QList<Download> kept;
        rig.keepInto(kept);
        QVERIFY(rig.read().complete());
        QVERIFY(rig.view.breakInLimitChecked() && rig.view.engineRebuildChecked() && rig.view.tempGridVisible());

        rig.module.setEeprom(goldenImage(QStringLiteral("echo-plain-flags0.bin")));
        if (fault == QLatin1String("nak"))
            rig.module.faults().nakAddressAt = at;
        else if (fault == QLatin1String("lose"))
            rig.module.faults().loseCommand = rig.module.commandCount() + at;
        else if (fault == QLatin1String("unplugged"))
            rig.port.setAvailablePorts({2});
        else
            rig.module.faults().idStartsWithTerminator = true;
        const ReadOutcome outcome = rig.read();

        QVERIFY(!outcome.complete() && outcome.failure);
        QCOMPARE(outcome.download.unread, unread);
        QCOMPARE(kept.size(), 1);  // an incomplete download is not kept
        QCOMPARE(rig.view.field(Field::TotalHrs), totalShown);
        QCOMPARE(rig.view.userData(), unread.testFlag(ModulePart::UserData) ? QString() : QStringLiteral("SN 1"));
        QVERIFY(!rig.view.breakInLimitChecked() && !rig.view.engineRebuildChecked());
        const QString shown = rig.view.values();
        const QString printed =
            renderReportText(StatisticsReport::lines(outcome.download.decode(), ReportContext{"M", {}, {}, true, {}, {}}));
        for (const QString &earlier : {QStringLiteral("141.66"), QStringLiteral("1234"), QStringLiteral("17.60")})
            QVERIFY2(!shown.contains(earlier) && !printed.contains(earlier), qPrintable(earlier));
        QVERIFY(!printed.contains(QLatin1String("Enabled")) && !printed.contains(QLatin1String("Rebuild")));
        // Nothing of the first module decides what a write does to this one: its status
        // byte goes back as this module holds it, and nothing is cleared.
        QVERIFY(!rig.operations.known() && !rig.operations.knownEngineRebuild());
        rig.module.faults() = {};
        rig.port.setAvailablePorts({1});
        rig.module.clearWrites();
        const quint8 status = rig.module.eeprom()[53];
        rig.operations.writeUserData({QStringLiteral("SN 1"), rig.view.breakInLimitChecked(), rig.view.engineRebuildChecked()});
        QCOMPARE(rig.module.writes().size(), 33);
        QCOMPARE(rig.module.writes().last(), (ModuleSimulator::Write{53, status}));
    }
};

QTEST_GUILESS_MAIN(tst_ReadStatistics)
#include "tst_ReadStatistics.moc"
