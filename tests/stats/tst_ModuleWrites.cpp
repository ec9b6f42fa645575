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
}

// The image after the writes: the one before, with just these bytes changed.
ModuleSimulator::Image applied(ModuleSimulator::Image image, const Writes &writes)
{
    for (const auto &w : writes)
        image[size_t(w.address)] = w.value;
    return image;
}
}  // namespace

Q_DECLARE_METATYPE(Writes)

class tst_ModuleWrites : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writeUserData_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<int>("initialStatus");  // -1: as the image has it
        QTest::addColumn<int>("dataFlags");      // -1: as the image has it
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("readFirst");
        QTest::addColumn<int>("breakInBox");  // -1: leave as it is
        QTest::addColumn<bool>("confirmRebuild");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Writes>("expected");

        const QStringList statusOn{"Status_Display_True"};
        const QStringList statusClear{"Status_Display_True", "Clear_Break_In_Limit_Enable_True"};

        QTest::newRow("echoing, flags 3, rebuild newly confirmed")
            << "echo-full.bin" << true << 0x45 << -1 << statusOn << true << -1 << true << "NEW TEXT"
            << (text(112, "NEW TEXT") + zeros(64, 34) + zeros(98, 2) + zeros(144, 14) + statusAt(53, 0xC5));
        QTest::newRow("plain, flags 1, rebuild, break-in cleared")
            << "plain-wot.bin" << false << -1 << -1 << statusClear << true << 0 << true << "X"
            << (text(224, "X") + zeros(160, 34) + zeros(194, 2) + statusAt(148, 0x87));
        QTest::newRow("plain, flags 3: temperature clearing covers the status byte")
            << "plain-temps.bin" << false << -1 << -1 << statusOn << false << -1 << true << "P"
            << (text(224, "P") + zeros(160, 34) + statusAt(148, 0x85));
        QTest::newRow("plain, flags 3 known: the status byte ends as written")
            << "plain-temps.bin" << false << 0x05 << 3 << statusOn << true << -1 << true << "P"
            << (text(224, "P") + zeros(160, 34) + zeros(194, 2) + zeros(144, 14) + statusAt(148, 0x85));
        QTest::newRow("echoing, flags 0, rebuild") << "echo-plain-flags0.bin" << true << -1 << -1 << statusOn << true
                                                   << -1 << true << "" << (text(112, "") + zeros(64, 34) + statusAt(53, 0x80));
        QTest::newRow("echoing, flags 2, rebuild")
            << "echo-full.bin" << true << 0x05 << 2 << statusOn << true << -1 << true << "T"
            << (text(112, "T") + zeros(64, 34) + zeros(144, 14) + statusAt(53, 0x85));
        QTest::newRow("rebuild already set: nothing cleared")
            << "echo-full.bin" << true << -1 << -1 << statusOn << true << -1 << false << "AB"
            << (text(112, "AB") + statusAt(53, 0xC5));
        QTest::newRow("status display off: user data only")
            << "echo-full.bin" << true << 0x05 << -1 << QStringList{} << true << -1 << false << "AB" << text(112, "AB");
        QTest::newRow("no download, box unchecked, no clear flag: bit 6 as the module has it")
            << "plain-wot.bin" << false << -1 << -1 << statusOn << false << -1 << false << "Q"
            << (text(224, "Q") + statusAt(148, 0x47));
        QTest::newRow("no download, rebuild: only bytes 0..33 cleared")
            << "echo-full.bin" << true << 0x00 << -1 << statusOn << false << -1 << true << "Q"
            << (text(112, "Q") + zeros(64, 34) + statusAt(53, 0x80));
        QTest::newRow("break-in newly checked") << "echo-plain-flags0.bin" << true << 0x05 << -1 << statusOn << true << 1
                                                << false << "SN 1" << (text(112, "SN 1") + statusAt(53, 0x45));
        QTest::newRow("break-in unchecked with the clear flag")
            << "plain-wot.bin" << false << -1 << -1 << statusClear << true << 0 << false << "HULL 4471"
            << (text(224, "HULL 4471") + statusAt(148, 0x07));
        QTest::newRow("empty text box: 32 spaces") << "echo-plain-flags0.bin" << true << -1 << -1 << QStringList{}
                                                   << true << -1 << false << "" << text(112, "");
    }

    void writeUserData()
    {
        QFETCH(QString, image);
        QFETCH(bool, echoes);
        QFETCH(int, initialStatus);
        QFETCH(int, dataFlags);
        QFETCH(QStringList, options);
        QFETCH(bool, readFirst);
        QFETCH(int, breakInBox);
        QFETCH(bool, confirmRebuild);
        QFETCH(QString, typed);
        QFETCH(Writes, expected);

        const Features f = Features::fromConfigLines(options);
        OperationsRig rig(echoes, image, f.StatusDisplayEnabled, f.ClearBreakInLimitEnabled);
        auto e = rig.module.eeprom();
        if (initialStatus >= 0)
            e[echoes ? 53 : 148] = quint8(initialStatus);
        if (dataFlags >= 0)
            e[(echoes ? 64 : 160) + 47] = quint8(dataFlags);
        rig.module.setEeprom(e);

        if (readFirst)
            rig.operations.readStatistics();
        if (breakInBox >= 0)
            rig.view.setBreakInLimitChecked(breakInBox);
        if (confirmRebuild) {
            rig.prompt.type(QStringLiteral("Yes"));
            rig.view.setEngineRebuildChecked(true);
            QVERIFY(rig.view.engineRebuildChecked());
        }
        rig.view.setUserDataText(typed);
        rig.prompt.clear();
        rig.module.clearWrites();
        const auto before = rig.module.eeprom();

        QVERIFY(rig.operations.writeUserData());

        QCOMPARE(rig.module.writes(), expected);
        QCOMPARE(rig.module.eeprom(), applied(before, expected));
        // A plain module that claims temperatures has none to re-read.
        const bool noTemperatureBlock = !echoes && (rig.stats.DataFlags & 2);
        QCOMPARE(rig.prompt.texts(), noTemperatureBlock ? QStringList{Timeout} : QStringList{});
        QVERIFY(!rig.link.isPortOpen());
        QCOMPARE(rig.operations.lastReadComplete(), !noTemperatureBlock);
        // The closing Read Statistics shows what the module now holds.
        QCOMPARE(rig.stats.UserData, rig.stats.UserData.left(32));
        QCOMPARE(rig.view.userDataText(), rig.stats.UserData.trimmed());
        if (confirmRebuild) {
            QCOMPARE((QStringList{rig.view.field(Field::TotalHrs), rig.view.field(Field::LimitSecs),
                                  rig.view.field(Field::MaxRPM), rig.view.field(Field::EngStarts)}),
                     (QStringList{"0.00", "0.00", "0", "0"}));
            QVERIFY(rig.view.engineRebuildChecked());
            // ... and for good: unchecking puts it back.
            rig.view.setEngineRebuildChecked(false);
            QVERIFY(rig.view.engineRebuildChecked());
        }
    }

    void clearingRestsOnTheRecordNotOnTheByte()
    {
        // After downloading a module without the flag, another module that has it is
        // cleared again when the box is confirmed.
        OperationsRig rig(true, QStringLiteral("echo-plain-flags0.bin"));
        rig.operations.readStatistics();
        auto e = goldenImage(QStringLiteral("echo-full.bin"));
        rig.module.setEeprom(e);
        rig.prompt.type(QStringLiteral("YES"));
        rig.view.setEngineRebuildChecked(true);
        rig.module.clearWrites();
        rig.operations.writeUserData();
        QCOMPARE(rig.module.writes().mid(32, 34), zeros(64, 34));
        QCOMPARE(rig.module.writes().last(), (ModuleSimulator::Write{53, 0xC5}));
    }

    void textThatCannotBeReadBackIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("named");
        QTest::newRow("accented letter") << QStringLiteral("café") << "\"é\" (U+00E9)";
        QTest::newRow("tab") << QStringLiteral("A\tB") << "U+0009";
        QTest::newRow("outside the code page") << QStringLiteral("Жук") << "\"Ж\" (U+0416)";
        QTest::newRow("euro sign") << QStringLiteral("€5") << "\"€\" (U+20AC)";
    }

    void textThatCannotBeReadBackIsRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, named);
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.view.setUserDataText(typed);
        rig.operations.writeUserData();
        QVERIFY(rig.trace.isEmpty());
        QCOMPARE(rig.prompt.shown().size(), 1);
        QVERIFY2(rig.prompt.shown().first().text.contains(QLatin1String("character ") + named),
                 qPrintable(rig.prompt.shown().first().text));
        QCOMPARE(rig.prompt.shown().first().style, 48);
    }

    void noIdWritesNothing_data()
    {
        QTest::addColumn<bool>("erase");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("title");
        QTest::newRow("write user data") << false
            << QStringList{"Firmware ID - unexpected terminator.", "Firmware ID read failed - cannot write user data."}
            << "Runlog";
        QTest::newRow("erase") << true
            << QStringList{"Firmware ID - unexpected terminator.", "Firmware ID read failed - cannot erase data."}
            << "Erase RPM Limit Data";
    }

    void noIdWritesNothing()
    {
        QFETCH(bool, erase);
        QFETCH(QStringList, texts);
        QFETCH(QString, title);
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        rig.module.faults().idStartsWithTerminator = true;
        if (erase)
            rig.operations.eraseRpmLimitData();
        else
            rig.operations.writeUserData();
        QCOMPARE(rig.prompt.texts(), texts);
        QCOMPARE(rig.prompt.shown().last().title, title);
        QCOMPARE(rig.prompt.shown().last().style, 48);
        QVERIFY(rig.module.writes().isEmpty());
        QVERIFY(!rig.link.isPortOpen());
    }

    void writesStopAtTheFirstFailedStep_data()
    {
        QTest::addColumn<bool>("erase");
        QTest::addColumn<QString>("fault");  // "nak" address, "lose", "silent" or "hangup" command
        QTest::addColumn<int>("at");         // the address, or the command counted from the firmware ID
        QTest::addColumn<int>("written");    // bytes of the planned writes that reach the module
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("reRead");

        const QString none = QStringLiteral("Written: nothing.\nNot written: the user data, the statistics clearing, "
                                            "the status byte.");
        const QString textOnly = QStringLiteral("Written: the user data.\nNot written: the statistics clearing, the "
                                                "status byte.");
        QTest::newRow("user-data address not acknowledged") << false << "nak" << 112 << 0 << none << true;
        QTest::newRow("a lost write in the user data")
            << false << "lose" << 2 + 10 << 10
            << "Written: nothing.\nPartly written: the user data (10 of 32 bytes).\nNot written: the statistics "
               "clearing, the status byte." << true;
        QTest::newRow("status address not acknowledged: no byte from a failed read") << false << "nak" << 53 << 32
                                                                                     << textOnly << true;
        QTest::newRow("status read lost") << false << "lose" << 35 << 32 << textOnly << true;
        QTest::newRow("clearing address not acknowledged") << false << "nak" << 64 << 32 << textOnly << true;
        QTest::newRow("silent during the clearing")
            << false << "silent" << 37 + 5 << 32 + 5
            << "Written: the user data.\nPartly written: the statistics clearing (5 of 50 bytes).\nNot written: "
               "the status byte." << true;
        QTest::newRow("adapter unplugged during the user data") << false << "hangup" << 2 + 10 << 10
                                                                << "Partly written: the user data (10 of 32 bytes)"
                                                                << true;
        QTest::newRow("erase address not acknowledged: nothing written, nothing re-read")
            << true << "nak" << 92 << 0 << "Written: nothing.\nNot written: the RPM-limit data." << false;
        QTest::newRow("erase, a lost write") << true << "lose" << 3 << 1
                                             << "Partly written: the RPM-limit data (1 of 4 bytes)." << true;
    }

    void writesStopAtTheFirstFailedStep()
    {
        QFETCH(bool, erase);
        QFETCH(QString, fault);
        QFETCH(int, at);
        QFETCH(int, written);
        QFETCH(QString, report);
        QFETCH(bool, reRead);
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        readyToRebuild(rig, QStringLiteral("HALF"));
        rig.trace.clear();
        const int start = rig.module.commandCount();
        auto &faults = rig.module.faults();
        if (fault == QLatin1String("nak"))
            faults.nakAddressAt = at;
        else if (fault == QLatin1String("lose"))
            faults.loseCommand = start + at;
        else if (fault == QLatin1String("silent"))
            faults.silentAfter = start + at;
        else
            faults.hangUpAfter = start + at;

        if (erase)
            rig.operations.eraseRpmLimitData();
        else
            rig.operations.writeUserData();

        const Writes planned = erase ? zeros(92, 4)
                                     : text(112, "HALF") + zeros(64, 34) + zeros(98, 2) + zeros(144, 14)
                                           + statusAt(53, 0x85);
        QCOMPARE(rig.module.writes(), planned.mid(0, written));
        // One box says what reached the module, before the re-read.
        const QStringList texts = rig.prompt.texts();
        const auto summary = std::find_if(texts.begin(), texts.end(), [](const QString &t) {
            return t.contains(QLatin1String("Written"));
        });
        QVERIFY(summary != texts.end());
        QVERIFY2(summary->contains(report), qPrintable(*summary));
        const auto &box = rig.prompt.shown()[summary - texts.begin()];
        QCOMPARE(box.style, Box::OkOnly | Box::Exclamation);
        QCOMPARE(box.title, erase ? QStringLiteral("Erase RPM Limit Data") : QStringLiteral("Runlog"));
        QCOMPARE(texts.filter(QStringLiteral("Written")).size(), 1);
        QVERIFY(texts.mid(0, summary - texts.begin()).count(Timeout) <= 1);  // no box per lost byte
        QCOMPARE(rig.trace.count(QStringLiteral("delay 500")), reRead ? 1 : 0);
        QVERIFY(!rig.link.isPortOpen());
        QVERIFY(!rig.operations.lastReadComplete());
    }

    void eraseRpmLimitData_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<int>("start");
        QTest::newRow("echoing") << "echo-full.bin" << true << 92;
        QTest::newRow("plain") << "plain-wot.bin" << false << 188;
    }

    void eraseRpmLimitData()
    {
        QFETCH(QString, image);
        QFETCH(bool, echoes);
        QFETCH(int, start);
        OperationsRig rig(echoes, image);
        rig.operations.readStatistics();
        const QString total = rig.view.field(Field::TotalHrs);
        const QString starts = rig.view.field(Field::EngStarts);
        const auto before = rig.module.eeprom();
        rig.module.clearWrites();
        rig.operations.eraseRpmLimitData();
        QCOMPARE(rig.module.writes(), zeros(start, 4));
        QCOMPARE(rig.module.eeprom(), applied(before, zeros(start, 4)));
        QCOMPARE(rig.view.field(Field::LimitSecs), QStringLiteral("0.00"));
        QCOMPARE(rig.view.field(Field::MaxRPM), QStringLiteral("0"));
        QCOMPARE(rig.view.field(Field::TotalHrs), total);
        QCOMPARE(rig.view.field(Field::EngStarts), starts);
        QVERIFY(rig.prompt.shown().isEmpty());
        QVERIFY(!rig.link.isPortOpen());
    }

    void countersAreKeptBeforeTheyAreCleared_data()
    {
        QTest::addColumn<bool>("erase");
        QTest::addColumn<bool>("keptOk");
        QTest::newRow("engine rebuild") << false << true;
        QTest::newRow("engine rebuild, logbook unwritable") << false << false;
        QTest::newRow("erase") << true << true;
        QTest::newRow("erase, logbook unwritable") << true << false;
    }

    void countersAreKeptBeforeTheyAreCleared()
    {
        QFETCH(bool, erase);
        QFETCH(bool, keptOk);
        OperationsRig rig(true, QStringLiteral("echo-full.bin"));
        readyToRebuild(rig, QStringLiteral("KEPT"));
        const auto before = rig.module.eeprom();

        QList<Download> kept;
        qsizetype writesWhenKept = -1;
        rig.operations.keep = [&](const Download &d) -> std::optional<QString> {
            kept << d;
            if (writesWhenKept < 0)
                writesWhenKept = rig.module.writes().size();
            return keptOk ? std::nullopt : std::optional<QString>(QStringLiteral("disk full"));
        };
        if (erase)
            rig.operations.eraseRpmLimitData();
        else
            rig.operations.writeUserData();

        // The copy was taken from the module before its first cleared byte, with its blocks whole.
        QVERIFY(!kept.isEmpty());
        QCOMPARE(kept.first().reason, erase ? QStringLiteral("before Erase RPM Limit Data")
                                            : QStringLiteral("before the engine-rebuild clearing"));
        for (int i = 0; i < 48; ++i)
            QCOMPARE(kept.first().statistics[size_t(i)], before[size_t(64 + i)]);
        QVERIFY(kept.first().temperatures);
        QCOMPARE(writesWhenKept, erase ? 0 : 32);
        const Writes zeros = erase ? Writes{} : text(112, "KEPT");
        if (keptOk) {
            QVERIFY(rig.module.writes().size() > zeros.size());
            QCOMPARE(kept.size(), 2);  // and the read-back, as every completed download
        } else {
            QCOMPARE(rig.module.writes(), zeros);  // no clearing byte, no status byte
            QVERIFY2(rig.prompt.texts().first().contains(QLatin1String("Nothing was cleared")) &&
                         rig.prompt.texts().first().contains(QLatin1String("disk full")),
                     qPrintable(rig.prompt.texts().join('|')));
        }
    }

    void rebuildConfirmation_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<bool>("checked");
        QTest::newRow("Yes") << std::optional<QString>(QStringLiteral("Yes")) << true;
        QTest::newRow("yEs") << std::optional<QString>(QStringLiteral("yEs")) << true;
        QTest::newRow("y") << std::optional<QString>(QStringLiteral("y")) << false;
        QTest::newRow("leading blank") << std::optional<QString>(QStringLiteral(" yes")) << false;
        QTest::newRow("trailing blank") << std::optional<QString>(QStringLiteral("yes ")) << false;
        QTest::newRow("cancel") << std::optional<QString>() << false;
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
        const auto box = rig.prompt.shown().first();
        QVERIFY(box.isInput);
        QCOMPARE(box.title, QStringLiteral("Engine Rebuild Confirmation"));
        QCOMPARE(box.text, QStringLiteral("Selecting Engine Rebuild and then writing user data to the module cannot "
                                          "be undone and will void the warranty. Enter Yes to confirm."));
        QCOMPARE(box.defaultText, QStringLiteral("No"));
        QVERIFY(rig.trace.isEmpty());  // checking writes nothing by itself
    }

    void breakInRule_data()
    {
        QTest::addColumn<bool>("clearFlag");
        QTest::addColumn<bool>("afterUncheck");
        QTest::newRow("without the clear flag the box cannot be unchecked") << false << true;
        QTest::newRow("with it, both are free") << true << false;
    }

    void breakInRule()
    {
        QFETCH(bool, clearFlag);
        QFETCH(bool, afterUncheck);
        OperationsRig rig(true, QString(), true, clearFlag);
        rig.view.setBreakInLimitChecked(true);
        QVERIFY(rig.view.breakInLimitChecked());
        rig.view.setBreakInLimitChecked(false);
        QCOMPARE(rig.view.breakInLimitChecked(), afterUncheck);
        QVERIFY(rig.prompt.shown().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ModuleWrites)
#include "tst_ModuleWrites.moc"
