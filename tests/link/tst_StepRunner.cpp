#include "link/StepRunner.h"
#include "support/ScriptedPrompt.h"

#include <QTest>

// The contract every operation keeps: which steps ran, whether the exit steps ran,
// and whether the operation went on, for each answer to a failing step.
class tst_StepRunner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failingStep_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("failuresBeforeSuccess");
        QTest::addColumn<int>("expectedAttempts");
        QTest::addColumn<bool>("nextStepRan");
        QTest::addColumn<bool>("exitRan");

        QTest::newRow("abort") << QList<int>{Box::Abort} << 5 << 1 << false << true;
        QTest::newRow("retry until the cause is gone") << QList<int>{Box::Retry, Box::Retry} << 2 << 3 << true << false;
        QTest::newRow("ignore") << QList<int>{Box::Ignore} << 5 << 1 << true << false;
        QTest::newRow("unknown answer leaves") << QList<int>{Box::Ok} << 5 << 1 << false << true;
    }

    void failingStep()
    {
        QFETCH(QList<int>, answers);
        QFETCH(int, failuresBeforeSuccess);
        QFETCH(int, expectedAttempts);
        QFETCH(bool, nextStepRan);
        QFETCH(bool, exitRan);

        ScriptedPrompt prompt;
        for (int a : answers)
            prompt.answer({Box::Answer(a)});
        bool exited = false, next = false;
        int attempts = 0;
        StepRunner runner(prompt, [&] { exited = true; });
        runner.operation([&] {
            runner.step([&] {
                ++attempts;
                return attempts > failuresBeforeSuccess ? succeeded() : failed(QStringLiteral("Printer is off."));
            });
            runner.step([&] { next = true; return succeeded(); });
        });

        QCOMPARE(attempts, expectedAttempts);
        QCOMPARE(std::pair(next, exited), std::pair(nextStepRan, exitRan));
        QCOMPARE(prompt.shown().size(), answers.size());
        for (const auto &box : prompt.shown())  // style 18: Abort, Retry, Ignore; Abort the default
            QCOMPARE(box.text + box.title + QString::number(box.style), QStringLiteral("Printer is off.Error18"));
    }
};

QTEST_GUILESS_MAIN(tst_StepRunner)
#include "tst_StepRunner.moc"
