#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "support/ScriptedPrompt.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"

#include <QElapsedTimer>
#include <QMap>
#include <QTest>
#include <QTimer>

// Real time: pauses last at least what they are asked for while the event loop runs.
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
};

QTEST_GUILESS_MAIN(tst_EventLoopTiming)
#include "tst_EventLoopTiming.moc"
