#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "support/ModsimProcess.h"
#include "support/ScriptedPrompt.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
const QString Timeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
}

// The ways a real line goes wrong, through QSerialPort on a pseudo-terminal, against
// runlog-modsim in its own process (runlog-cli's tests run every operation over one).
class tst_PtyLink : public QObject {
    Q_OBJECT

    struct Rig {
        explicit Rig(const QString &device)
            : port([device](int) { return device; }), link(port, timing, prompt)
        {
        }
        DeviceSerialPort port;
        EventLoopTiming timing;
        ScriptedPrompt prompt;
        ModuleLink link;
    };

private Q_SLOTS:
    void badLinesEndWithinASecond_data()
    {
        QTest::addColumn<QStringList>("modsim");
        QTest::newRow("silent module") << QStringList{"--fault", "silent"};
        QTest::newRow("endless ID") << QStringList{"--fault", "id-endless"};
        QTest::newRow("adapter unplugged mid-block") << QStringList{"--demo", "--fault", "hangup-after=12"};
    }

    void badLinesEndWithinASecond()
    {
        QFETCH(QStringList, modsim);
        ModsimProcess sim(modsim);
        QVERIFY(!sim.device().isEmpty());
        Rig rig(sim.device());
        const bool midBlock = modsim.contains(QLatin1String("--demo"));
        if (midBlock) {
            rig.link.readFirmwareID();
            QVERIFY(rig.link.linkOK());
        }
        QElapsedTimer clock;
        clock.start();
        midBlock ? rig.link.readEEPROMData() : rig.link.readFirmwareID();
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(rig.prompt.texts(), QStringList{Timeout});
        QVERIFY(!rig.link.linkOK() && !rig.link.isPortOpen());
        // The line really dropped. (Whether the next open fails cannot be asserted here: a
        // test running beside this one may be given the same pseudo-terminal number.)
        if (midBlock)
            QTRY_VERIFY_WITH_TIMEOUT(sim.process().state() == QProcess::NotRunning, 3000);
    }
};

QTEST_GUILESS_MAIN(tst_PtyLink)
#include "tst_PtyLink.moc"
