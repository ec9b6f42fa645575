#include "link/LinkDiagnosis.h"
#include "link/LoopbackCheck.h"
#include "support/FakeSystem.h"
#include "support/PtyPeer.h"

#include <QTest>

// Why no module answered: the advice, each cause from a system of its own (one serial
// device, /dev/ttyUSB0 (root:dialout, 0660) unless a row has none, and the user alice, who
// is not its owner); and the cable test, on pseudo-terminals whose far end plays a bridged,
// a broken and a faulty cable.
class tst_LinkDiagnosis : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void diagnose_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<bool>("device");      // whether /dev/ttyUSB0 is there
        QTest::addColumn<QStringList>("groups");  // alice's
        QTest::addColumn<QStringList>("lines");   // what each line of advice says, "|" between its parts

        const QStringList adapter{"sys/bus/usb/devices/1-2/idVendor=1a86\n", "sys/bus/usb/devices/1-2/idProduct=7523\n",
                                  "sys/bus/usb/devices/1-2/product=USB Serial\n",
                                  "sys/bus/usb/devices/1-2/1-2:1.0/bInterfaceClass=ff\n"};
        const QStringList dialout{"alice", "dialout"};
        QTest::newRow("adapter taken by brltty")
            << adapter + QStringList{"proc/812/comm=brltty\n"} << false << dialout
            << QStringList{"(WCH 1a86:7523, USB Serial)|brltty|sudo apt-get remove brltty"};
        QTest::newRow("adapter without its driver")
            << adapter << false << dialout << QStringList{"(WCH 1a86:7523, USB Serial)|driver, ch341|sudo modprobe ch341"};
        QTest::newRow("adapter with its serial device: the cable, then")
            << adapter + QStringList{"sys/bus/usb/devices/1-2/1-2:1.0/ttyUSB0/dev=188:0\n"} << true << dialout
            << QStringList{"Check the cable and the module's power|--loopback"};
        QTest::newRow("ModemManager running")
            << QStringList{"proc/640/comm=ModemManager\n"} << true << dialout
            << QStringList{"sudo systemctl stop ModemManager|ENV{ID_MM_DEVICE_IGNORE}=\"1\""};
        QTest::newRow("user not in the device's group")
            << QStringList{} << true << QStringList{"alice"}
            << QStringList{"group dialout|sudo adduser alice dialout|log in again"};
        QTest::newRow("the console, whoever may open it")
            << QStringList{"sys/class/tty/console/active=ttyUSB0\n"} << true << QStringList{"alice"}
            << QStringList{"Check the cable"};
        QTest::newRow("device open in another process")
            << QStringList{"proc/777/comm=minicom\n", "proc/777/fd/3->dev/ttyUSB0"} << true << dialout
            << QStringList{"ttyUSB0 is in use by process 777 (minicom)"};
        QTest::newRow("nothing present") << QStringList{} << false << dialout << QStringList{"plug the adapter in"};
    }
    void diagnose()
    {
        QFETCH(QStringList, tree);
        QFETCH(bool, device);
        QFETCH(QStringList, groups);
        QFETCH(QStringList, lines);
        FakeSystem system;
        QList<SerialDevice> devices;
        UserAccount alice{QStringLiteral("alice"), 0, groups};
        if (device) {
            QVERIFY(system.write(QStringLiteral("dev/ttyUSB0"), {}));
            SerialDevice node;
            node.path = system.path(QStringLiteral("dev/ttyUSB0"));
            QVERIFY(QFile::setPermissions(node.path,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup));
            const QFileInfo info(node.path);
            // Whatever group the test's files get, it is dialout here.
            QVERIFY(system.write(QStringLiteral("etc/group"),
                                 QStringLiteral("dialout:x:%1:\n").arg(info.groupId()).toLatin1()));
            alice.uid = info.ownerId() + 1;
            devices << node;
        }
        QVERIFY(system.build(tree));

        const QStringList advice = LinkDiagnosis::diagnose(devices, system.folders, alice);
        QCOMPARE(advice.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            for (const QString &part : lines[i].split(QLatin1Char('|')))
                QVERIFY2(advice[i].contains(part), qPrintable(QStringLiteral("\"%1\" not in: %2").arg(part, advice[i])));
    }

    void loopback_data()
    {
        QTest::addColumn<int>("returned");  // how many bytes the far end gives back, -1 for each one inverted
        QTest::addColumn<QString>("why");   // empty: passed
        QTest::newRow("bridged") << int(LoopbackCheck::Pattern.size()) << QString();
        QTest::newRow("open") << 0 << QStringLiteral("Nothing came back");
        QTest::newRow("dropping bytes") << 4 << QStringLiteral("Only 4 of the 6 bytes sent came back");
        QTest::newRow("garbling bytes") << -1 << QStringLiteral("Other bytes came back");
    }
    void loopback()
    {
        QFETCH(int, returned);
        QFETCH(QString, why);
        int given = 0;
        PtyPeer farEnd([&given, returned](quint8 byte) {
            if (returned < 0)
                return QByteArray(1, char(~byte));
            return given++ < returned ? QByteArray(1, char(byte)) : QByteArray();
        });
        FakeSystem system;

        const LoopbackCheck::Result result = LoopbackCheck::run(farEnd.device(), system.folders);
        QCOMPARE(result.passed, why.isEmpty());
        QVERIFY2(result.why.startsWith(why), qPrintable(result.why));
        QCOMPARE(farEnd.finish(), result.sent);
        QCOMPARE(result.sent.size(), qsizetype(LoopbackCheck::Pattern.size()));
        if (why.isEmpty())
            QCOMPARE(result.received, result.sent);
    }
};

QTEST_GUILESS_MAIN(tst_LinkDiagnosis)
#include "tst_LinkDiagnosis.moc"
