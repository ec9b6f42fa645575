#include "session/Configuration.h"
#include "link/StepRunner.h"
#include "support/Golden.h"
#include "support/ScriptedPrompt.h"

#include <QTemporaryDir>
#include <QTest>

class tst_Configuration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: no file at all
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("branding");
        QTest::addColumn<QStringList>("maker");
        QTest::addColumn<QStringList>("options");

        const QStringList builtInBranding{"Korvane", "Arial", "48", "bold italic", "Korvane_Logo.gif"};
        QTest::newRow("no file") << QByteArray() << QList<int>{} << builtInBranding
                                 << Configuration::builtIn().MakerLines << QStringList{};
        QTest::newRow("complete, CR LF")
            << QByteArray("! header\r\n!another\r\nAcme\r\nTimes\r\n20\r\nbold\r\nNULL\r\n!\r\nAcme Ltd\r\n"
                          "1 Road \x80\xfc\r\n!\r\nStatus_Display_True\r\n!\r\nignored after\r\n")
            << QList<int>{} << QStringList{"Acme", "Times", "20", "bold", "NULL"} << QStringList{"Acme Ltd", QStringLiteral("1 Road €ü")}
            << QStringList{"Status_Display_True"};
        QTest::newRow("empty banner line after the header")
            << QByteArray("!\n\nArial\n12\n\nNULL\n!\nM\n\nM3\n!\n!\n") << QList<int>{}
            << QStringList{"", "Arial", "12", "", "NULL"} << QStringList{"M", "", "M3"} << QStringList{};
        QTest::newRow("ends early, abort keeps what was read")
            << QByteArray("B\n!\nMaker\n!\nopt\n") << QList<int>{Box::Abort} << QStringList{"B"}
            << QStringList{"Maker"} << QStringList{"opt"};
        QTest::newRow("ends early, ignore appends the previous line again")
            << QByteArray("B\n!\nMaker\n!\nopt\n") << QList<int>{Box::Ignore, Box::Ignore, Box::Abort}
            << QStringList{"B"} << QStringList{"Maker"} << QStringList{"opt", "opt", "opt"};
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, branding);
        QFETCH(QStringList, maker);
        QFETCH(QStringList, options);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Runlog.cfg"));
        if (!file.isEmpty())
            QVERIFY(writeFile(path, file));
        ScriptedPrompt prompt;
        for (int a : answers)
            prompt.answer({Box::Answer(a)});
        Configuration config;
        StepRunner runner(prompt);
        runner.operation([&] { Configuration::read(path, runner, config); });

        QCOMPARE(config.BrandingLines, branding);
        QCOMPARE(config.MakerLines, maker);
        QCOMPARE(config.ConfigLines, options);
        QCOMPARE(prompt.shown().size(), answers.size());
        for (const auto &box : prompt.shown())
            QCOMPARE(box.text, QStringLiteral("Input past end of file"));
    }

    void features_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("status");
        QTest::addColumn<bool>("clearBreakIn");
        QTest::newRow("none") << QStringList{} << false << false;
        QTest::newRow("both, repeated") << QStringList{"Clear_Break_In_Limit_Enable_True", "Status_Display_True",
                                                       "Status_Display_True"}
                                        << true << true;
        QTest::newRow("other case") << QStringList{"status_display_true"} << false << false;
        QTest::newRow("leading blank") << QStringList{" Clear_Break_In_Limit_Enable_True"} << false << false;
    }

    void features()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, status);
        QFETCH(bool, clearBreakIn);
        const Features f = Features::fromConfigLines(lines);
        QCOMPARE(std::pair(f.StatusDisplayEnabled, f.ClearBreakInLimitEnabled), std::pair(status, clearBreakIn));
    }

    // The contract every operation keeps: which steps ran, whether the exit steps ran, and
    // whether the operation went on, for each answer to a failing step.
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

QTEST_GUILESS_MAIN(tst_Configuration)
#include "tst_Configuration.moc"
