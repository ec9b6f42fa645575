#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// runlog-modsim as a tool: what it refuses, and what it never touches.
class tst_Modsim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");  // NOTES stands for a file of the user's
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("link over a file") << QStringList{"--link", "NOTES"} << 2 << "left alone";
        QTest::newRow("save where it cannot") << QStringList{"--save", "/nonexistent/m.bin"} << 1
                                              << "cannot write the image: /nonexistent/m.bin";
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString notes = dir.filePath(QStringLiteral("notes.txt"));
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine\n") == 5);
        file.close();
        args.replaceInStrings(QStringLiteral("NOTES"), notes);

        QProcess p;
        p.start(QStringLiteral(RUNLOG_MODSIM_PATH), args);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());  // no device was offered
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(says), qPrintable(err));
        if (exitCode == 2)
            QVERIFY(err.contains(QLatin1String("Usage: ")));
        QVERIFY(QFileInfo(notes).isFile() && !QFileInfo(notes).isSymLink());
    }
};

QTEST_GUILESS_MAIN(tst_Modsim)
#include "tst_Modsim.moc"
