#include "support/OperationsRig.h"

#include <QTest>

using Writes = QList<ModuleSimulator::Write>;

namespace {
const QString Timeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");

Writes bytesAt(int start, const QByteArray &bytes)
{
    Writes w;
    for (int i = 0; i < bytes.size(); ++i)
        w.append({start + i, quint8(bytes[i])});
    return w;
}
Writes zeros(int start, int count) { return bytesAt(start, QByteArray(count, '\0')); }
Writes text(int start, const QByteArray &t) { return bytesAt(start, t.leftJustified(32, ' ')); }
Writes statusAt(int address, int value) { return {{address, quint8(value)}}; }

}  // namespace

Q_DECLARE_METATYPE(Writes)

class tst_ModuleWrites : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writeUserData_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("initialStatus");  // -1: as the image has it
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("readFirst");
        QTest::addColumn<int>("breakInBox");  // -1: as the download left it
        QTest::addColumn<bool>("rebuild");
        QTest::addColumn<Writes>("expected");  // the text typed is "T"

        const QStringList on{"Status_Display_True"};
        const QStringList clear{"Status_Display_True", "Clear_Break_In_Limit_Enable_True"};
        QTest::newRow("echoing, flags 3, rebuild newly confirmed")
            << "echo-full.bin" << 0x45 << on << true << -1 << true
            << (text(112, "T") + zeros(64, 34) + zeros(98, 2) + zeros(144, 14) + statusAt(53, 0xC5));
        QTest::newRow("plain, flags 1, rebuild, break-in cleared")
            << "plain-wot.bin" << -1 << clear << true << 0 << true
            << (text(224, "T") + zeros(160, 34) + zeros(194, 2) + statusAt(148, 0x87));
        QTest::newRow("plain, flags 3 unread: temperature clearing covers the status byte")
            << "plain-temps.bin" << -1 << on << false << -1 << true
            << (text(224, "T") + zeros(160, 34) + statusAt(148, 0x85));
        QTest::newRow("rebuild already set: nothing cleared")
            << "echo-full.bin" << -1 << on << true << -1 << true << (text(112, "T") + statusAt(53, 0xC5));
        QTest::newRow("status display off: user data only")
            << "echo-full.bin" << 0x05 << QStringList{} << true << 1 << true << text(112, "T");
        QTest::newRow("no download, no clear flag: bit 6 as the module has it")
            << "plain-wot.bin" << -1 << on << false << -1 << false << (text(224, "T") + statusAt(148, 0x47));
        QTest::newRow("break-in unchecked with the clear flag")
            << "plain-wot.bin" << -1 << clear << true << 0 << false << (text(224, "T") + statusAt(148, 0x07));
    }

    void writeUserData()
    {
        QFETCH(QString, image);
        QFETCH(int, initialStatus);
        QFETCH(QStringList, options);
        QFETCH(bool, readFirst);
        QFETCH(int, breakInBox);
        QFETCH(bool, rebuild);
        QFETCH(Writes, expected);

        const bool echoes = image.startsWith(QLatin1String("echo"));
        const Features f = Features::fromConfigLines(options);
        OperationsRig rig(echoes, image, f.StatusDisplayEnabled, f.ClearBreakInLimitEnabled);
        auto e = rig.module.eeprom();
        if (initialStatus >= 0)
            e[echoes ? 53 : 148] = quint8(initialStatus);
        rig.module.setEeprom(e);
        if (readFirst)
            rig.read();
        const bool breakIn = breakInBox >= 0 ? breakInBox == 1 : rig.view.breakInLimitChecked();
        rig.prompt.clear();
        rig.module.clearWrites();

        const WriteOutcome outcome = rig.operations.writeUserData({QStringLiteral("T"), breakIn, rebuild});
        QCOMPARE(rig.module.writes(), expected);
        QVERIFY(!rig.link.isPortOpen() && !outcome.failure);
        // The closing Read Statistics gives what the module now holds; a plain module that
        // claims temperatures has none to re-read.
        const bool noTemperatureBlock = !echoes && (e[160 + 47] & 2);
        QCOMPARE(rig.prompt.texts(), noTemperatureBlock ? QStringList{Timeout} : QStringList{});
        const ModuleStatistics after = outcome.readBack->download.decode();
        QCOMPARE(after.UserData.trimmed(), QStringLiteral("T"));
        const bool alreadySet = readFirst && (e[echoes ? 53 : 148] & 0x80);
        if (rebuild && f.StatusDisplayEnabled && !alreadySet) {
            QVERIFY(after.TotalHrs == 0 && after.MaxRPM == 0 && after.EngineRebuild);
            // For good: unchecking puts it back.
            StatisticsPresenter::show(outcome.readBack->download, rig.view, true);
            rig.view.setEngineRebuildChecked(false);
            rig.operations.engineRebuildClicked(rig.view);
            QVERIFY(rig.view.engineRebuildChecked() || noTemperatureBlock);
        }
    }

    void textThatCannotBeReadBackIsRefused()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        const WriteOutcome outcome = rig.operations.writeUserData({QStringLiteral("A\tcafé"), false, false});
        QVERIFY(rig.trace.isEmpty());
        QCOMPARE(outcome.failure->kind, Failure::Kind::Refused);
        QCOMPARE(rig.prompt.shown().size(), 1);
        QVERIFY2(rig.prompt.texts().first().contains(QLatin1String("character U+0009")), qPrintable(rig.prompt.texts().first()));
    }

    void noIdWritesNothing()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.module.faults().idStartsWithTerminator = true;
        const WriteOutcome outcome = rig.operations.eraseRpmLimitData();
        QCOMPARE(rig.prompt.texts(), (QStringList{"Firmware ID - unexpected terminator.",
                                                  "Firmware ID read failed - cannot erase data."}));
        QCOMPARE(outcome.failure->kind, Failure::Kind::UnexpectedTerminator);
        QVERIFY(rig.module.writes().isEmpty() && !rig.link.isPortOpen() && outcome.progress.nothingWritten());
    }

    void writesStopAtTheFirstFailedStep_data()
    {
        QTest::addColumn<bool>("erase");
        QTest::addColumn<QString>("fault");  // "nak" address, "lose" or "silent" command
        QTest::addColumn<int>("at");         // the address, or the command counted from the firmware ID
        QTest::addColumn<int>("written");    // bytes of the planned writes that reach the module
        QTest::addColumn<QString>("report");

        QTest::newRow("user-data address not acknowledged")
            << false << "nak" << 112 << 0
            << "Written: nothing.\nNot written: the user data, the statistics clearing, the status byte.";
        QTest::newRow("a lost write in the user data")
            << false << "lose" << 2 + 10 << 10
            << "Written: nothing.\nPartly written: the user data (10 or 11 of 32 bytes).\nNot written: the "
               "statistics clearing, the status byte.";
        QTest::newRow("silent during the clearing")
            << false << "silent" << 37 + 5 << 32 + 5
            << "Written: the user data.\nPartly written: the statistics clearing (5 or 6 of 50 bytes).\nNot "
               "written: the status byte.";
        QTest::newRow("the status byte's reply lost")
            << false << "silent" << 37 + 50 + 2 << 32 + 50
            << "Written: the user data, the statistics clearing.\nMay not have been written (its acknowledgement "
               "was lost): the status byte.";
        QTest::newRow("erase address not acknowledged: nothing written, nothing re-read")
            << true << "nak" << 92 << 0 << "Written: nothing.\nNot written: the RPM-limit data.";
    }

    void writesStopAtTheFirstFailedStep()
    {
        QFETCH(bool, erase);
        QFETCH(QString, fault);
        QFETCH(int, at);
        QFETCH(int, written);
        QFETCH(QString, report);
        // A module without the rebuild flag, read: a rebuild request writes the text, clears
        // the statistics and sets the flag.
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        auto e = rig.module.eeprom();
        e[53] = 0x05;
        rig.module.setEeprom(e);
        rig.operations.readStatistics();
        rig.module.clearWrites();
        rig.prompt.clear();
        rig.trace.clear();
        const int start = rig.module.commandCount();
        auto &faults = rig.module.faults();
        if (fault == QLatin1String("nak"))
            faults.nakAddressAt = at;
        else if (fault == QLatin1String("lose"))
            faults.loseCommand = start + at;
        else
            faults.silentAfter = start + at;
        const WriteOutcome outcome =
            erase ? rig.operations.eraseRpmLimitData() : rig.operations.writeUserData({QStringLiteral("HALF"), false, true});

        const Writes planned = erase ? zeros(92, 4)
                                     : text(112, "HALF") + zeros(64, 34) + zeros(98, 2) + zeros(144, 14)
                                           + statusAt(53, 0x85);
        QCOMPARE(rig.module.writes(), planned.mid(0, written));
        QVERIFY(outcome.failure && outcome.progress.stopped());
        QCOMPARE(outcome.progress.outcome().join('\n'), report);
        // No box per lost byte: one failure asks Abort/Retry/Ignore, then the read-back's own.
        QVERIFY(rig.prompt.texts().count(Timeout) <= (erase ? 1 : 3));
        QCOMPARE(rig.trace.count(QStringLiteral("delay 500")), written > 0 || !erase ? 1 : 0);
        QVERIFY(!rig.link.isPortOpen() && !outcome.complete());
    }

    void countersAreKeptBeforeTheyAreCleared_data()
    {
        QTest::addColumn<bool>("erase");  // else a rebuild, the logbook unable to keep the copy
        QTest::addColumn<bool>("plainTemps");
        QTest::newRow("engine rebuild, logbook unwritable") << false << false;
        QTest::newRow("erase") << true << false;
        QTest::newRow("erase on a plain module claiming temperatures") << true << true;
    }

    void countersAreKeptBeforeTheyAreCleared()
    {
        QFETCH(bool, erase);
        QFETCH(bool, plainTemps);
        const bool keptOk = erase;
        OperationsRig rig(!plainTemps, plainTemps ? QStringLiteral("plain-temps.bin") : QStringLiteral("echo-full.bin"));
        const auto before = rig.module.eeprom();
        const int user = plainTemps ? 224 : 112, stats = plainTemps ? 160 : 64;
        // Nothing read before: the copy holds what the module holds, not what a window shows.
        QList<Download> kept;
        QList<qsizetype> writesBefore;
        rig.operations.setKeeper([&](const Download &d) -> std::optional<QString> {
            kept << d;
            writesBefore << rig.module.writes().size();
            return keptOk ? std::nullopt : std::optional<QString>(QStringLiteral("disk full"));
        });
        const WriteOutcome outcome =
            erase ? rig.operations.eraseRpmLimitData() : rig.operations.writeUserData({QStringLiteral("KEPT"), false, true});

        QVERIFY(!kept.isEmpty());
        const Download &copy = kept.first();
        QCOMPARE(copy.reason, erase ? QStringLiteral("before Erase RPM Limit Data")
                                    : QStringLiteral("before the engine-rebuild clearing"));
        QVERIFY(std::equal(before.begin() + stats, before.begin() + stats + 48, copy.statistics.begin()));
        QCOMPARE(copy.userData, QByteArray(reinterpret_cast<const char *>(before.data()) + user, 32));
        QCOMPARE(copy.temperatures.has_value(), !plainTemps);
        QCOMPARE(writesBefore.first(), 0);
        if (keptOk) {
            QCOMPARE(rig.module.writes(), zeros(stats + 28, 4));
            QVERIFY(!outcome.failure);
            QCOMPARE(kept.size(), plainTemps ? 1 : 2);  // and the read-back, when it is complete
        } else {
            QVERIFY(rig.module.writes().isEmpty());
            QCOMPARE(outcome.failure->kind, Failure::Kind::KeepFailed);
            QCOMPARE(outcome.failure->description, QStringLiteral("disk full"));
            QVERIFY(outcome.progress.nothingWritten() && !outcome.readBack);
        }
    }

    void rebuildConfirmation_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<bool>("checked");
        QTest::newRow("yEs") << std::optional<QString>(QStringLiteral("yEs")) << true;
        QTest::newRow("leading blank") << std::optional<QString>(QStringLiteral(" yes")) << false;
    }

    void rebuildConfirmation()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(bool, checked);
        OperationsRig rig(true, QString());
        rig.prompt.type(answer);
        rig.view.setEngineRebuildChecked(true);
        rig.operations.engineRebuildClicked(rig.view);
        QCOMPARE(rig.view.engineRebuildChecked(), checked);
        QCOMPARE(rig.prompt.shown().size(), 1);
        QCOMPARE(rig.prompt.shown().first().title + '|' + rig.prompt.shown().first().defaultText,
                 QStringLiteral("Engine Rebuild Confirmation|No"));
        QVERIFY(rig.trace.isEmpty());  // checking writes nothing by itself
    }
};

QTEST_GUILESS_MAIN(tst_ModuleWrites)
#include "tst_ModuleWrites.moc"
