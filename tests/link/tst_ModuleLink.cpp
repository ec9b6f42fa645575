#include "support/LinkRig.h"

#include <QTest>

namespace {
const QString Timeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
const QString Terminator = QStringLiteral("Firmware ID - unexpected terminator.");
}  // namespace

class tst_ModuleLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readFirmwareID_data()
    {
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("messages");  // none: the link is fine
        QTest::addColumn<bool>("echoKind");  // what the link takes the module for afterwards

        QTest::newRow("plain") << false << QByteArray("AB12\r") << "AB12" << QStringList{} << false;
        QTest::newRow("echoing") << true << QByteArray("\x10" "AB12\r") << "AB12" << QStringList{} << true;
        QTest::newRow("terminator first") << false << QByteArray("\r") << "" << QStringList{Terminator} << false;
        QTest::newRow("noise inside") << false << QByteArray("A\x01" "B\x80\r") << "AB" << QStringList{} << false;
        // A byte that is neither the echo nor an ID character says nothing of the kind.
        QTest::newRow("noise first keeps the kind")
            << true << QByteArray("\x02" "AB\r") << "AB" << QStringList{} << false;
        QTest::newRow("no terminator") << false << QByteArray("AB12") << "AB12" << QStringList{Timeout} << false;
        QTest::newRow("silent") << false << QByteArray() << "" << QStringList{Timeout} << false;
    }

    void readFirmwareID()
    {
        QFETCH(bool, echoes);
        QFETCH(QByteArray, reply);
        QFETCH(QString, id);
        QFETCH(QStringList, messages);
        QFETCH(bool, echoKind);

        // The module is silent; the reply is put on the line by hand.
        LinkRig rig(echoes);
        rig.module.faults().silent = true;
        connect(&rig.port, &SimulatedPort::actionTaken, this, [&](const QString &event) {
            if (event == QLatin1String("write 10"))
                rig.port.inject(reply);
        });
        rig.link.readFirmwareID();

        QCOMPARE(rig.link.firmwareID(), id);
        QCOMPARE(rig.link.linkOK(), messages.isEmpty());
        QCOMPARE(rig.prompt.texts(), messages);
        QVERIFY(!rig.link.isPortOpen());
        QCOMPARE(rig.link.moduleEchoes(), echoKind);
    }

    void timeoutRetryShowsTheSameMessageWithoutResending()
    {
        LinkRig rig(false);
        rig.module.faults().silent = true;
        rig.prompt.answer({Box::Retry, Box::Retry, Box::Abort});
        rig.link.readFirmwareID();
        QCOMPARE(rig.prompt.texts(), (QStringList{Timeout, Timeout, Timeout}));
        QCOMPARE(rig.trace.count(QStringLiteral("write 10")), 1);
        QVERIFY(!rig.link.isPortOpen());
        QCOMPARE(rig.link.incompleteOperations(), QStringList{QStringLiteral("ReadFirmwareID")});
    }

    void setAddressPacing_data()
    {
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<int>("address");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain 160") << false << 160
                                   << QStringList{"open", "flush", "write 14", "flush", "delay 5", "write a0",
                                                  "flush", "delay 5", "write 00", "wait 1 yielding", "flush",
                                                  "delay 5", "close"};
        QTest::newRow("echoing 64") << true << 64
                                    << QStringList{"open", "flush", "write 14", "wait 1 yielding", "flush", "delay 5",
                                                   "write 40", "wait 1 yielding", "flush", "delay 5", "write 00",
                                                   "wait 2 yielding", "flush", "delay 5", "close"};
    }

    void setAddressPacing()
    {
        QFETCH(bool, echoes);
        QFETCH(int, address);
        QFETCH(QStringList, expected);
        LinkRig rig(echoes);
        rig.link.readFirmwareID();
        rig.trace.clear();
        rig.link.setEEPROMAddress(address);
        QCOMPARE(rig.trace, expected);
        QVERIFY(rig.link.linkOK());
        QCOMPARE(rig.module.pointer(), address);
    }

    void blockReads_data()
    {
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<int>("which");  // 0 statistics, 1 user data, 2 temperatures
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::newRow("statistics, echoing") << true << 0 << 64 << 48;
        QTest::newRow("statistics, plain") << false << 0 << 160 << 48;
        QTest::newRow("user data, plain") << false << 1 << 224 << 32;
        QTest::newRow("temperatures, echoing") << true << 2 << 144 << 14;
    }

    void blockReads()
    {
        QFETCH(bool, echoes);
        QFETCH(int, which);
        QFETCH(int, start);
        QFETCH(int, count);
        LinkRig rig(echoes);
        ModuleSimulator::Image image{};
        for (int i = 0; i < 256; ++i)
            image[size_t(i)] = quint8(i < 224 || i >= 230 ? i : QByteArray("SN\x07" "12\xff")[i - 224]);
        rig.module.setEeprom(image);
        rig.link.readFirmwareID();
        rig.trace.clear();

        if (which == 0)
            rig.link.readEEPROMData();
        else if (which == 1)
            rig.link.readUserData();
        else
            rig.link.readTempData();

        QVERIFY(rig.link.linkOK() && rig.prompt.shown().isEmpty() && !rig.link.isPortOpen());
        QCOMPARE(rig.trace.count(QStringLiteral("write 15")), count);
        QCOMPARE(rig.module.pointer(), (start + count) % 256);
        const QString awaited = QStringLiteral("wait %1 yielding").arg(which == 2 || echoes ? 2 : 1);
        QCOMPARE(rig.trace.mid(rig.trace.lastIndexOf(QStringLiteral("open")) + 1, 5),
                 (QStringList{"flush", "write 15", awaited, "delay 5", "flush"}));
        if (which == 1) {
            rig.link.readUserData();  // read again: the text starts afresh, control bytes left out
            QCOMPARE(rig.link.userData(), QStringLiteral("SN12"));
            return;
        }
        for (int k = 0; k < count; ++k)
            QCOMPARE(int(which == 0 ? rig.link.eepromData()[size_t(k)] : rig.link.tempData()[size_t(k)]), start + k);
    }

    void writeUserData_data()
    {
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("ABC, plain") << false << QByteArray("ABC") << 224 << QByteArray("ABC").leftJustified(32, ' ');
        QTest::newRow("empty, echoing") << true << QByteArray() << 112 << QByteArray(32, ' ');
        QTest::newRow("40 characters") << false << QByteArray(40, 'x').replace(31, 1, "!") << 224
                                       << QByteArray(31, 'x') + "!";
        QTest::newRow("high byte kept") << true << QByteArray("Gr\xfc\xdf") << 112
                                        << QByteArray("Gr\xfc\xdf").leftJustified(32, ' ');
    }

    void writeUserData()
    {
        QFETCH(bool, echoes);
        QFETCH(QByteArray, text);
        QFETCH(int, start);
        QFETCH(QByteArray, written);
        LinkRig rig(echoes);
        rig.link.readFirmwareID();
        rig.trace.clear();
        rig.link.writeUserData(text);

        QList<ModuleSimulator::Write> expected;
        for (int i = 0; i < 32; ++i)
            expected.append({start + i, quint8(written[i])});
        QCOMPARE(rig.module.writes(), expected);
        QVERIFY(rig.link.linkOK() && !rig.link.isPortOpen());
        // 10 ms after every acknowledged write, 200 ms after the block
        QCOMPARE(rig.trace.count(QStringLiteral("delay 10")), 32);
        QCOMPARE(rig.trace.mid(rig.trace.size() - 2), (QStringList{"delay 200", "close"}));
        QCOMPARE(rig.trace.count(QStringLiteral("wait %1 tight").arg(echoes ? 3 : 1)), 32);
    }

    void openFailureRetriedOnceTheAdapterIsBack()
    {
        LinkRig rig(false);
        rig.port.setAvailablePorts({2});
        rig.prompt.answer({Box::Retry});
        rig.prompt.onShow = [&](const ScriptedPrompt::Shown &) { rig.port.setAvailablePorts({1}); };
        rig.link.readFirmwareID();
        QCOMPARE(rig.link.firmwareID(), QStringLiteral("AB12"));
        QVERIFY(rig.link.linkOK() && !rig.link.isPortOpen());
        QCOMPARE(rig.prompt.texts(), QStringList{"No such file or directory"});
    }

    void lineErrors_data()
    {
        QTest::addColumn<QList<int>>("events");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("openAfter");
        QTest::addColumn<int>("received");  // bytes waiting; what is waiting after an error is thrown away
        QTest::newRow("framing, retry") << QList<int>{1004} << QList<int>{Box::Retry} << QStringList{"Framing error."}
                                        << true << 3;
        QTest::newRow("third closes before asking")
            << QList<int>{1008, 1010, 1011} << QList<int>{Box::Retry, Box::Retry, Box::Retry}
            << QStringList{"Receive buffer overflow.", "Transmit buffer full.", "Device control block error."} << false
            << 3;
        // More than the 256-byte receive buffer holds raises its own event.
        QTest::newRow("receive overflow") << QList<int>{} << QList<int>{Box::Retry}
                                          << QStringList{"Receive buffer overflow."} << true << 300;
        QTest::newRow("break and receive events are quiet") << QList<int>{1001, 2, 1} << QList<int>{} << QStringList{}
                                                            << true << 3;
    }

    void lineErrors()
    {
        QFETCH(QList<int>, events);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, messages);
        QFETCH(bool, openAfter);
        QFETCH(int, received);
        LinkRig rig(false);
        rig.link.applyPortSettings();
        for (int a : answers)
            rig.prompt.answer({Box::Answer(a)});
        rig.link.readFirmwareID();
        rig.link.setEEPROMAddress(160);
        QVERIFY(rig.port.open() == std::nullopt);
        rig.port.inject(QByteArray(received, 'x'));
        for (int e : events)
            rig.port.raiseLineError(e);
        QCoreApplication::processEvents();
        QCOMPARE(rig.prompt.texts(), messages);
        for (const auto &box : rig.prompt.shown())
            QCOMPARE(box.title + QString::number(box.style), QStringLiteral("Communications Error21"));
        QCOMPARE(rig.link.isPortOpen(), openAfter);
        QCOMPARE(rig.port.bytesWaiting(), messages.isEmpty() ? received : 0);
        QCOMPARE(rig.link.commErrorCount(), messages.size());
        rig.link.applyPortSettings();
        QCOMPARE(rig.link.commErrorCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_ModuleLink)
#include "tst_ModuleLink.moc"
