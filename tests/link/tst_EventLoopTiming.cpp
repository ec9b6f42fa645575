#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "support/ScriptedPrompt.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

// Real time: pauses last at least what they are asked for while the event loop runs.
class tst_EventLoopTiming : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void delayKeepsTheLoopRunning_data()
    {
        QTest::addColumn<int>("ms");
        QTest::newRow("5") << 5;
        QTest::newRow("10") << 10;
        QTest::newRow("500") << 500;
    }

    void delayKeepsTheLoopRunning()
    {
        QFETCH(int, ms);
        EventLoopTiming timing;
        bool handled = false;
        QTimer::singleShot(0, [&] { handled = true; });
        QElapsedTimer clock;
        clock.start();
        timing.delay(ms);
        QVERIFY(clock.nsecsElapsed() >= qint64(ms) * 1000000);
        QVERIFY(handled);
    }

    void yieldingWaitEndsAtTheDeadlineOrTheData_data()
    {
        QTest::addColumn<int>("replyAfterMs");
        QTest::addColumn<bool>("arrived");
        QTest::newRow("reply in time") << 50 << true;
        QTest::newRow("no reply") << -1 << false;
    }

    void yieldingWaitEndsAtTheDeadlineOrTheData()
    {
        QFETCH(int, replyAfterMs);
        QFETCH(bool, arrived);
        ModuleSimulator module(false);
        module.faults().silent = true;
        SimulatedPort port(module);
        QVERIFY(port.open() == std::nullopt);
        if (replyAfterMs >= 0)
            QTimer::singleShot(replyAfterMs, [&] { port.inject("xy"); });
        EventLoopTiming timing;
        const qint64 start = timing.nowMs();
        QCOMPARE(timing.waitForBytes(port, 2, start + 300, LinkTiming::Wait::Yielding), arrived);
        const qint64 took = timing.nowMs() - start;
        if (arrived)
            QVERIFY(took < 300);
        else
            QVERIFY(took > 300);
    }

    void aLateReplyWithinTheDeadlineIsAReply()
    {
        // A slow adapter: the firmware ID comes most of a second after the request.
        ModuleSimulator module(false);
        module.faults().silent = true;
        SimulatedPort port(module);
        EventLoopTiming timing;
        ScriptedPrompt prompt;
        ModuleTexts texts;
        ModuleLink link(port, timing, prompt, texts);
        port.setTrace([&](const QString &event) {
            if (event == QLatin1String("write 10"))
                QTimer::singleShot(700, [&] { port.inject("AB\r"); });
        });
        link.readFirmwareID();
        QVERIFY2(prompt.shown().isEmpty(), qPrintable(prompt.texts().join('|')));
        QVERIFY(link.linkOK());
        QCOMPARE(texts.FirmwareID, QStringLiteral("AB"));
    }
};

QTEST_GUILESS_MAIN(tst_EventLoopTiming)
#include "tst_EventLoopTiming.moc"
