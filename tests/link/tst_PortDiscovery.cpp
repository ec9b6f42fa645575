#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"
#include "support/ModsimProcess.h"
#include "support/PtyPeer.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// An adapter as the system shows it, stood in for by runlog-modsim behind links in
// folders of the test's own: found, given a number, read through its entry, and unplugged.
class tst_PortDiscovery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void adapterFromPlugToUnplug()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dev")) && QDir(dir.path()).mkpath(QStringLiteral("by-id")));
        const QString stable = dir.filePath(QStringLiteral("by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"));
        const QString node = dir.filePath(QStringLiteral("dev/ttyUSB0"));
        auto module = std::make_unique<ModsimProcess>(QStringList{"--demo", "--link", stable});
        ModsimProcess nothing({QStringLiteral("--fault"), QStringLiteral("silent"), QStringLiteral("--link"), node});
        QVERIFY(!module->device().isEmpty() && !nothing.device().isEmpty());

        PortDiscovery discovery(dir.filePath(QStringLiteral("dev")), dir.filePath(QStringLiteral("by-id")));
        QCOMPARE(discovery.devices().size(), 2);
        const SerialDevice *adapter = discovery.find(stable);
        QVERIFY(adapter);
        QCOMPARE(adapter->stableName, stable);
        QCOMPARE(adapter->label(), module->device() + QStringLiteral(" - FT232R USB UART"));
        QCOMPARE(adapter->manufacturer + adapter->serialNumber, QStringLiteral("FTDIA1B2C3"));

        // Given a number, and read through it.
        QSettings settings(dir.filePath(QStringLiteral("Runlog.conf")), QSettings::IniFormat);
        PortNames::mapDetected(settings, discovery.devices());
        const int number = PortNames::numberFor(settings, *adapter);
        QCOMPARE(settings.value(QStringLiteral("Ports/Com%1").arg(number)).toString(), stable);
        EventLoopTiming timing;
        DeviceSerialPort port([&](int n) { return PortNames::deviceFor(n, settings); });
        ScriptedPrompt prompt;
        ModuleLink link(port, timing, prompt);
        link.setCommPortNumber(number);
        link.readFirmwareID();
        QCOMPARE(link.firmwareID(), QStringLiteral("RL-7.02 IGN E"));

        // Unplugged: gone from the devices, its entry still mapped, its error naming it.
        module.reset();
        QTRY_VERIFY(!QFileInfo::exists(stable));
        discovery.rescan();
        QCOMPARE(discovery.devices().size(), 1);
        QCOMPARE(PortNames::deviceFor(number, settings), stable);
        link.readFirmwareID();
        QVERIFY(!link.linkOK());
        QVERIFY2(prompt.texts().value(0).contains(stable), qPrintable(prompt.texts().join('|')));
    }

    // A mapping the user made to a link (runlog-modsim --link, a udev rule of their own)
    // counts as present when a device is at its end; the computer's own serial nodes only
    // when the scan found a UART behind them.
    void mappedPathsThatLeadToADevice_data()
    {
        QTest::addColumn<QString>("target");  // "pty": a pseudo-terminal; "fifo", "file": made in the folder
        QTest::addColumn<bool>("present");
        QTest::newRow("a link to a pseudo-terminal") << "pty" << true;
        QTest::newRow("a link to a FIFO") << "fifo" << false;
        QTest::newRow("a link to an ordinary file") << "file" << false;
        QTest::newRow("a link to nothing") << "gone" << false;
        QTest::newRow("a link to a serial node without a UART found") << "/dev/ttyS0" << false;
    }

    void mappedPathsThatLeadToADevice()
    {
        QFETCH(QString, target);
        QFETCH(bool, present);
        QTemporaryDir dir;
        PtyPeer pty;
        QVERIFY(!pty.device().isEmpty());
        const QString made = dir.filePath(target);
        if (target == QLatin1String("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(made).constData(), 0600) == 0);
        if (target == QLatin1String("file")) {
            QFile file(made);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString end = target == QLatin1String("pty") ? pty.device() : target.startsWith('/') ? target : made;
        if (end.startsWith(QLatin1String("/dev/ttyS")) && !QFileInfo::exists(end))
            QSKIP("this machine has no serial node to stand for the computer's own port");
        const QString link = dir.filePath(QStringLiteral("ttyModule"));
        QVERIFY(QFile::link(end, link));

        // Folders of the test's own: the scan lists nothing of /dev.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dev")));
        const PortDiscovery discovery(dir.filePath(QStringLiteral("dev")), dir.filePath(QStringLiteral("by-id")));
        QCOMPARE(discovery.isPresent(link), present);
    }
};

QTEST_GUILESS_MAIN(tst_PortDiscovery)
#include "tst_PortDiscovery.moc"
