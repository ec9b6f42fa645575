#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "support/ModsimProcess.h"
#include "support/ScriptedPrompt.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"

#include <QElapsedTimer>
#include <QMap>
#include <QTest>
#include <QTimer>

namespace {
const QString Timeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
}

// Real time: pauses last at least what they are asked for while the event loop runs, a
// late reply within the deadline is a reply, and the ways a real line goes wrong end in
// time, through QSerialPort on a pseudo-terminal against runlog-modsim in its own process
// (runlog-cli's tests run every operation over one).
class tst_EventLoopTiming : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void delayKeepsTheLoopRunning()
    {
        EventLoopTiming timing;
        bool handled = false;
        QTimer::singleShot(0, [&] { handled = true; });
        QElapsedTimer clock;
        clock.start();
        timing.delay(5);
        QVERIFY(clock.nsecsElapsed() >= 5000000 && handled);
    }

    void aLateReplyWithinTheDeadlineIsAReply()
    {
        // A slow adapter: each reply comes most of a second after its request.
        ModuleSimulator module(false);
        module.faults().silent = true;
        SimulatedPort port(module);
        EventLoopTiming timing;
        ScriptedPrompt prompt;
        ModuleLink link(port, timing, prompt);
        const QMap<QString, QByteArray> replies{{QStringLiteral("write 10"), "AB\r"}, {QStringLiteral("write 00"), "\x06"}};
        connect(&port, &SimulatedPort::actionTaken, this, [&](const QString &event) {
            if (replies.contains(event))
                QTimer::singleShot(700, [&, event] { port.inject(replies[event]); });
        });
        link.readFirmwareID();
        QCOMPARE(link.firmwareID(), QStringLiteral("AB"));
        link.setEEPROMAddress(160);
        QVERIFY(link.linkOK());
        QVERIFY2(prompt.shown().isEmpty(), qPrintable(prompt.texts().join('|')));
    }

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
        DeviceSerialPort port([device = sim.device()](int) { return device; });
        EventLoopTiming timing;
        ScriptedPrompt prompt;
        ModuleLink link(port, timing, prompt);
        const bool midBlock = modsim.contains(QLatin1String("--demo"));
        if (midBlock) {
            link.readFirmwareID();
            QVERIFY(link.linkOK());
        }
        QElapsedTimer clock;
        clock.start();
        midBlock ? link.readEEPROMData() : link.readFirmwareID();
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(prompt.texts(), QStringList{Timeout});
        QVERIFY(!link.linkOK() && !link.isPortOpen());
        // The line really dropped. (Whether the next open fails cannot be asserted here: a
        // test running beside this one may be given the same pseudo-terminal number.)
        if (midBlock)
            QTRY_VERIFY_WITH_TIMEOUT(sim.process().state() == QProcess::NotRunning, 3000);
    }
};

QTEST_GUILESS_MAIN(tst_EventLoopTiming)
#include "tst_EventLoopTiming.moc"
