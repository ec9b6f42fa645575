#include "stats/Download.h"
#include "support/OperationsRig.h"

#include <QTest>

using Writes = QList<ModuleSimulator::Write>;
using Field = StatisticsView::Field;

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

void write(OperationsRig &rig, bool erase)
{
    if (erase)
        rig.operations.eraseRpmLimitData();
    else
        rig.operations.writeUserData();
}

// A module without the rebuild flag, read, with the rebuild confirmed and a text typed:
// Write User Data will write the text, clear the statistics and set the flag.
void readyToRebuild(OperationsRig &rig, const QString &typed)
{
    auto e = rig.module.eeprom();
    e[53] = 0x05;
    rig.module.setEeprom(e);
    rig.operations.readStatistics();
    rig.prompt.type(QStringLiteral("yes"));
    rig.view.setEngineRebuildChecked(true);
    rig.view.setUserDataText(typed);
    rig.module.clearWrites();
    rig.prompt.clear();
    rig.trace.clear();
}
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
        QTest::addColumn<int>("breakInBox");  // -1: leave as it is
        QTest::addColumn<bool>("confirmRebuild");
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
            << "echo-full.bin" << -1 << on << true << -1 << false << (text(112, "T") + statusAt(53, 0xC5));
        QTest::newRow("status display off: user data only")
            << "echo-full.bin" << 0x05 << QStringList{} << true << -1 << false << text(112, "T");
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
        QFETCH(bool, confirmRebuild);
        QFETCH(Writes, expected);

        const bool echoes = image.startsWith(QLatin1String("echo"));
        const Features f = Features::fromConfigLines(options);
        OperationsRig rig(echoes, image, f.StatusDisplayEnabled, f.ClearBreakInLimitEnabled);
        auto e = rig.module.eeprom();
        if (initialStatus >= 0)
            e[echoes ? 53 : 148] = quint8(initialStatus);
        rig.module.setEeprom(e);
        if (readFirst)
            rig.operations.readStatistics();
        if (breakInBox >= 0)
            rig.view.setBreakInLimitChecked(breakInBox);
        if (confirmRebuild) {
            rig.prompt.type(QStringLiteral("Yes"));
            rig.view.setEngineRebuildChecked(true);
        }
        rig.view.setUserDataText(QStringLiteral("T"));
        rig.prompt.clear();
        rig.module.clearWrites();

        QVERIFY(rig.operations.writeUserData());
        QCOMPARE(rig.module.writes(), expected);
        QVERIFY(!rig.link.isPortOpen());
        // The closing Read Statistics shows what the module now holds; a plain module that
        // claims temperatures has none to re-read.
        const bool noTemperatureBlock = !echoes && (rig.stats.DataFlags & 2);
        QCOMPARE(rig.prompt.texts(), noTemperatureBlock ? QStringList{Timeout} : QStringList{});
        QCOMPARE(rig.view.userDataText(), QStringLiteral("T"));
        if (confirmRebuild) {
            QCOMPARE(rig.view.field(Field::TotalHrs) + rig.view.field(Field::MaxRPM), QStringLiteral("0.000"));
            rig.view.setEngineRebuildChecked(false);  // for good: unchecking puts it back
            QVERIFY(rig.view.engineRebuildChecked());
        }
    }

    void textThatCannotBeReadBackIsRefused()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.view.setUserDataText(QStringLiteral("A\tcafé"));
        rig.operations.writeUserData();
        QVERIFY(rig.trace.isEmpty());
        QCOMPARE(rig.prompt.shown().size(), 1);
        QVERIFY2(rig.prompt.texts().first().contains(QLatin1String("character U+0009")), qPrintable(rig.prompt.texts().first()));
    }

    void noIdWritesNothing()
    {
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.module.faults().idStartsWithTerminator = true;
        rig.operations.eraseRpmLimitData();
        QCOMPARE(rig.prompt.texts(), (QStringList{"Firmware ID - unexpected terminator.",
                                                  "Firmware ID read failed - cannot erase data."}));
        QVERIFY(rig.module.writes().isEmpty() && !rig.link.isPortOpen());
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
            << "Written: nothing.\nPartly written: the user data (10 of 32 bytes).\nNot written: the statistics "
               "clearing, the status byte.";
        QTest::newRow("silent during the clearing")
            << false << "silent" << 37 + 5 << 32 + 5
            << "Written: the user data.\nPartly written: the statistics clearing (5 of 50 bytes).\nNot written: "
               "the status byte.";
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
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        readyToRebuild(rig, QStringLiteral("HALF"));
        const int start = rig.module.commandCount();
        auto &faults = rig.module.faults();
        if (fault == QLatin1String("nak"))
            faults.nakAddressAt = at;
        else if (fault == QLatin1String("lose"))
            faults.loseCommand = start + at;
        else
            faults.silentAfter = start + at;
        write(rig, erase);

        const Writes planned = erase ? zeros(92, 4)
                                     : text(112, "HALF") + zeros(64, 34) + zeros(98, 2) + zeros(144, 14)
                                           + statusAt(53, 0x85);
        QCOMPARE(rig.module.writes(), planned.mid(0, written));
        // One box says what reached the module, before the re-read; no box per lost byte.
        const QStringList texts = rig.prompt.texts();
        const QStringList summaries = texts.filter(QStringLiteral("Written"));
        QCOMPARE(summaries.size(), 1);
        QVERIFY2(summaries.first().contains(report), qPrintable(summaries.first()));
        QVERIFY(texts.mid(0, texts.indexOf(summaries.first())).count(Timeout) <= 1);
        QCOMPARE(rig.trace.count(QStringLiteral("delay 500")), written > 0 || !erase ? 1 : 0);
        QVERIFY(!rig.link.isPortOpen() && !rig.operations.lastReadComplete());
    }

    void countersAreKeptBeforeTheyAreCleared_data()
    {
        QTest::addColumn<bool>("erase");
        QTest::addColumn<bool>("keptOk");
        QTest::newRow("engine rebuild, logbook unwritable") << false << false;
        QTest::newRow("erase") << true << true;
    }

    void countersAreKeptBeforeTheyAreCleared()
    {
        QFETCH(bool, erase);
        QFETCH(bool, keptOk);
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        readyToRebuild(rig, QStringLiteral("KEPT"));
        const auto before = rig.module.eeprom();
        QList<std::pair<Download, qsizetype>> kept;  // and the writes the module had by then
        rig.operations.keep = [&](const Download &d) -> std::optional<QString> {
            kept.append({d, rig.module.writes().size()});
            return keptOk ? std::nullopt : std::optional<QString>(QStringLiteral("disk full"));
        };
        write(rig, erase);

        // The copy was taken from the module before its first cleared byte, with its blocks whole.
        QVERIFY(!kept.isEmpty());
        const auto &[copy, writesBefore] = kept.first();
        QCOMPARE(copy.reason, erase ? QStringLiteral("before Erase RPM Limit Data")
                                    : QStringLiteral("before the engine-rebuild clearing"));
        QVERIFY(std::equal(before.begin() + 64, before.begin() + 112, copy.statistics.begin()) && copy.temperatures);
        QCOMPARE(writesBefore, erase ? 0 : 32);
        if (keptOk) {
            QCOMPARE(rig.module.writes(), zeros(92, 4));
            QCOMPARE(rig.view.field(Field::LimitSecs) + rig.view.field(Field::MaxRPM), QStringLiteral("0.000"));
            QCOMPARE(kept.size(), 2);  // and the read-back, as every completed download
        } else {
            QCOMPARE(rig.module.writes(), text(112, "KEPT"));  // no clearing byte, no status byte
            QVERIFY2(rig.prompt.texts().first().contains(QLatin1String("Nothing was cleared")) &&
                         rig.prompt.texts().first().contains(QLatin1String("disk full")),
                     qPrintable(rig.prompt.texts().join('|')));
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
        QCOMPARE(rig.view.engineRebuildChecked(), checked);
        QCOMPARE(rig.prompt.shown().size(), 1);
        QCOMPARE(rig.prompt.shown().first().title + '|' + rig.prompt.shown().first().defaultText,
                 QStringLiteral("Engine Rebuild Confirmation|No"));
        QVERIFY(rig.trace.isEmpty());  // checking writes nothing by itself
    }
};

QTEST_GUILESS_MAIN(tst_ModuleWrites)
#include "tst_ModuleWrites.moc"
