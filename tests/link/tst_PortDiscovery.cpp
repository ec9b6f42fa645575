#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/ModuleFinder.h"
#include "link/ModuleLink.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"
#include "support/ModsimProcess.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// An adapter as the system shows it, stood in for by runlog-modsim behind links in
// folders of the test's own: found, given a number, found to have a module on it, read
// through its entry, and unplugged.
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

        // Numbers from Com3 up, past one already taken, kept by the stable name.
        QSettings settings(dir.filePath(QStringLiteral("Runlog.conf")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Ports/Com3"), QStringLiteral("/dev/ttyElsewhere"));
        QCOMPARE(PortNames::mapDetected(settings, discovery.devices()), (QList<int>{4, 5}));
        QCOMPARE(PortNames::mapDetected(settings, discovery.devices()), QList<int>{});
        const int number = PortNames::numberFor(settings, *adapter);
        QCOMPARE(settings.value(QStringLiteral("Ports/Com%1").arg(number)).toString(), stable);

        // Find Module passes over the device without a module and names the one with it.
        EventLoopTiming timing;
        const ModuleFinder::Result found = ModuleFinder::find(discovery.devices());
        QCOMPARE(found.device.mappedName(), stable);
        QCOMPARE(found.firmwareID, QStringLiteral("RL-7.02 IGN E"));
        DeviceSerialPort port([&](int n) { return PortNames::deviceFor(n, settings); });
        ScriptedPrompt prompt;
        ModuleLink link(port, timing, prompt);
        link.setCommPortNumber(number);

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
};

QTEST_GUILESS_MAIN(tst_PortDiscovery)
#include "tst_PortDiscovery.moc"
