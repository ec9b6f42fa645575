#include "link/LinkConstants.h"
#include "link/LinkTrace.h"
#include "link/ModuleFinder.h"
#include "link/MemoryMap.h"
#include "support/FakeSystem.h"
#include "support/ModsimProcess.h"
#include "support/PtyPeer.h"

#include <QProcess>
#include <QTest>

namespace {
const QString EchoingModuleId = QStringLiteral("RL-7.02 IGN E");

// The probe as a module that does not echo receives it: the ID command, then the address
// command pointing at its status byte.
QByteArray plainProbe()
{
    const int status = MemoryMap::PlainLayout.statusByte;
    return QByteArray(1, char(Link::CmdReadFirmwareId)) + char(Link::CmdSetAddress) + char(status & 0xFF)
           + char(status >> 8);
}

// A byte sent or taken, as the trace shows it: "tx 10".
QString traced(const char *direction, int byte)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(direction)).arg(byte, 2, 16, QLatin1Char('0'));
}
}  // namespace

Q_DECLARE_METATYPE(PtyPeer::Answer)

// Find Module over pseudo-terminals: other equipment is never taken for a module, and
// devices another program owns are never opened.
class tst_ModuleFinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void probeOrder_data()
    {
        // Devices as "path;stable name;USB id", in the order given and in the order asked.
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("adapters, ACM devices, others, built-in ports, each kind as given")
            << QStringList{"/dev/ttyS0", "/dev/ttyACM0", "/dev/rfcomm0", "/dev/ttyUSB1", "/dev/ttyUSB0"}
            << QStringList{"/dev/ttyUSB1", "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/rfcomm0", "/dev/ttyS0"};
        QTest::newRow("stable names alone")
            << QStringList{"/dev/serial/by-id/usb-u-blox_AG_GNSS_receiver-if00",
                           "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0"}
            << QStringList{"/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
                           "/dev/serial/by-id/usb-u-blox_AG_GNSS_receiver-if00"};
        QTest::newRow("a serial chip behind an ACM device")
            << QStringList{"/dev/ttyACM0;;2341:0043", "/dev/ttyACM1;;1a86:55d4"}
            << QStringList{"/dev/ttyACM1", "/dev/ttyACM0"};
    }
    void probeOrder()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, asked);
        QList<SerialDevice> devices;
        for (const QString &spec : given) {
            SerialDevice d;
            d.path = spec.section(QLatin1Char(';'), 0, 0);
            d.stableName = spec.section(QLatin1Char(';'), 1, 1);
            d.usbId = spec.section(QLatin1Char(';'), 2, 2);
            devices << d;
        }
        QStringList order;
        for (const qsizetype i : ModuleFinder::probeOrder(devices))
            order << devices[i].path;
        QCOMPARE(order, asked);
    }

    // Other equipment is asked and passed over, in the trace as on the line; a device
    // another process has open gets no byte; the module behind them is pointed at its
    // status byte and found.
    void onlyAModuleIsSelected_data()
    {
        QTest::addColumn<PtyPeer::Answer>("answer");
        QTest::addColumn<QByteArray>("stream");    // sent again and again
        QTest::addColumn<QByteArray>("received");  // all the device got; empty where its stream makes it vary
        QTest::newRow("silent") << PtyPeer::Answer() << QByteArray() << QByteArray(1, char(Link::CmdReadFirmwareId));
        QTest::newRow("GPS streaming sentences")
            << PtyPeer::Answer() << QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n")
            << QByteArray();
        QTest::newRow("modem answering OK") << PtyPeer::Answer([](quint8) { return QByteArray("OK\r"); }) << QByteArray()
                                            << plainProbe();
        // A module's reply in every way but the length of its ID, and a module's ID without the rest.
        QTest::newRow("ID too long for a module") << PtyPeer::Answer([](quint8 b) {
            return b == Link::CmdReadFirmwareId ? QByteArray(ModuleFinder::MaxFirmwareIdLength + 1, 'R') + char(Link::IdTerminator)
                                                : QByteArray(1, char(Link::Ack));
        }) << QByteArray() << plainProbe().left(1);
        QTest::newRow("ID, then no acknowledgement") << PtyPeer::Answer([](quint8 b) {
            return b == Link::CmdReadFirmwareId ? QByteArray("RL-7.02 IGN P") + char(Link::IdTerminator) : QByteArray();
        }) << QByteArray() << plainProbe();
    }
    void onlyAModuleIsSelected()
    {
        QFETCH(PtyPeer::Answer, answer);
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, received);
        PtyPeer other(answer, stream), held;
        ModsimProcess module({});
        QVERIFY(!other.device().isEmpty() && !module.device().isEmpty());
        QProcess holder;
        holder.setStandardInputFile(held.device());
        holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(holder.waitForStarted());
        // The real processes: the simulator holding its own line does not count as using it.
        FakeSystem system;
        system.folders.proc = QStringLiteral("/proc");
        const QList<SerialDevice> devices{system.device(QStringLiteral("ttyACM0"), module.device()),
                                          system.device(QStringLiteral("ttyUSB0"), other.device()),
                                          system.device(QStringLiteral("ttyUSB1"), held.device())};
        LinkTrace trace;
        QCOMPARE(trace.start(system.path(QStringLiteral("trace.txt")), QStringLiteral("tst_ModuleFinder")), std::nullopt);

        const ModuleFinder::Result found = ModuleFinder::find(devices, system.folders, &trace);
        trace.stop();
        QCOMPARE(found.index, 0);
        QCOMPARE(found.firmwareID, EchoingModuleId);
        QCOMPARE(found.asked.value(0).device.path, devices[1].path);
        QCOMPARE(found.skipped.size(), 1);
        QCOMPARE(found.skipped[0].device.path, devices[2].path);
        QCOMPARE(found.skipped[0].claim.kind, DeviceClaims::Kind::OpenElsewhere);
        QCOMPARE(found.skipped[0].claim.why, QStringLiteral("process %1 (sleep) has it open").arg(holder.processId()));
        QCOMPARE(held.finish(), QByteArray());
        holder.kill();
        holder.waitForFinished();
        const QByteArray got = other.finish();
        QVERIFY2(got.startsWith(char(Link::CmdReadFirmwareId)) && !got.contains(char(Link::CmdReadByte))
                     && !got.contains(char(Link::CmdWriteByte)),
                 got.toHex(' ').constData());
        if (!received.isEmpty())
            QCOMPARE(got.toHex(' '), received.toHex(' '));

        QFile file(system.path(QStringLiteral("trace.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const QStringList expected{
            "find module: asking " + devices[1].path, "open " + devices[1].path, traced("tx", Link::CmdReadFirmwareId),
            devices[1].path + ": not a module", "find module: asking " + devices[0].path, "open " + devices[0].path,
            traced("tx", Link::CmdReadFirmwareId), traced("rx", Link::CmdReadFirmwareId), traced("rx", Link::IdTerminator),
            traced("tx", Link::CmdSetAddress), traced("tx", MemoryMap::EchoingLayout.statusByte & 0xFF),
            traced("tx", MemoryMap::EchoingLayout.statusByte >> 8), traced("rx", Link::Ack), "close",
            "module on " + devices[0].path + ", firmware ID \"" + EchoingModuleId + "\""};
        qsizetype at = 0;
        for (const QString &event : expected) {
            const qsizetype next = text.indexOf(event, at);
            QVERIFY2(next >= 0, qPrintable(QStringLiteral("\"%1\" after offset %2 of:\n%3").arg(event).arg(at).arg(text)));
            at = next + event.size();
        }
    }

    void leavesOthersAlone_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("why");  // empty: the device is asked
        QTest::newRow("console named by sysfs") << QStringList{"sys/class/tty/console/active=tty0 ttyS0\n"}
                                                << QStringLiteral("it is the kernel console");
        QTest::newRow("console listed in /proc/consoles")
            << QStringList{"proc/consoles=ttyS0                -W- (EC  p a)    4:64\n"}
            << QStringLiteral("it is the kernel console");
        QTest::newRow("lock file of a live process")
            << QStringList{"lock/LCK..ttyS0=      4242\n", "proc/4242/comm=minicom\n"}
            << QStringLiteral("process 4242 (minicom) has locked it");
        // Its number is the same four bytes read either way round.
        QTest::newRow("binary lock file of a live process")
            << QStringList{QStringLiteral("lock/LCK..ttyS0=") + QString::fromLatin1("\x00\x10\x10\x00", 4),
                           "proc/1052672/comm=cu\n"}
            << QStringLiteral("process 1052672 (cu) has locked it");
        QTest::newRow("lock file left by a process that is gone")
            << QStringList{"lock/LCK..ttyS0=      4243\n", "proc/4242/comm=minicom\n"} << QString();
    }
    void leavesOthersAlone()
    {
        QFETCH(QStringList, tree);
        QFETCH(QString, why);
        PtyPeer peer;
        FakeSystem system;
        QVERIFY(system.build(tree));
        const QList<SerialDevice> devices{system.device(QStringLiteral("ttyS0"), peer.device())};

        const ModuleFinder::Result found = ModuleFinder::find(devices, system.folders);
        QCOMPARE(found.index, -1);
        if (why.isEmpty()) {
            QVERIFY(found.skipped.isEmpty());
            QCOMPARE(peer.finish(), QByteArray(1, char(Link::CmdReadFirmwareId)));
            return;
        }
        QCOMPARE(found.skipped.size(), 1);
        QCOMPARE(found.skipped[0].device.path, devices[0].path);
        QCOMPARE(found.skipped[0].claim.why, why);
        QVERIFY(found.asked.isEmpty());
        QCOMPARE(peer.finish(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_ModuleFinder)
#include "tst_ModuleFinder.moc"
