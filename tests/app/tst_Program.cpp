#include <QProcess>
#include <QTest>

// The program's command line, where no display may be: it answers before any window.
class tst_Program : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--demo <echo|plain>" << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "runlog " RUNLOG_VERSION "\n" << "";
        QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "" << "Unknown option 'colour'";
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));  // a GUI would abort here
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(RUNLOG_PATH), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        if (exitCode == 2)
            QVERIFY(stdErr.contains(QLatin1String("Usage: ")));
    }
};

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_Program.moc"
