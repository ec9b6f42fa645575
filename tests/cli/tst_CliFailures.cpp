#include "support/CliRun.h"
#include "support/Golden.h"
#include "support/ModsimProcess.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// runlog-cli's failures against runlog-modsim's faults: one line on standard error that
// says what was being done, why it failed and what to do, with exit status 1.
class tst_CliFailures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failuresSayWhatAndWhatToDo_data()
    {
        QTest::addColumn<QStringList>("modsim");  // empty: no simulator, the device is missing
        QTest::addColumn<QStringList>("command");  // STATUS: a configuration with the status display;
                                                   // NOTALOGBOOK: a text file given as the logbook
        QTest::addColumn<QString>("says");

        const QString timeout = QStringLiteral("did not answer in time. Check the cable");
        const QString logbook = QStringLiteral("the logbook could not keep a copy of the counters about to be cleared (");
        QTest::newRow("silent module") << QStringList{"--fault", "silent"} << QStringList{"read"}
                                       << "reading the statistics failed: the module " + timeout;
        QTest::newRow("missing device") << QStringList{} << QStringList{"read"} << "no such device (";
        QTest::newRow("a refused read writes nothing")
            << QStringList{"--demo", "--fault", "nak-address"} << QStringList{"write-user-data", "X"}
            << "reading the statistics failed: the module did not acknowledge an address. Check the cable and try "
               "again; nothing was written.";
        QTest::newRow("the write's own firmware ID missing")
            << QStringList{"--demo", "--fault", "silent-after=98"} << QStringList{"write-user-data", "X"}
            << "writing the user data failed: the module " + timeout;
        QTest::newRow("a write that stops says what got in")
            << QStringList{"--demo", "--fault", "lose-command=110"} << QStringList{"write-user-data", "NEW"}
            << "writing the user data stopped: the module did not answer in time. Check the cable and the port, "
               "and that the module is powered. Written: nothing. Partly written: the user data (10 or 11 of 32 bytes).";
        QTest::newRow("a rebuild the logbook cannot keep a copy for")
            << QStringList{"--demo"}
            << QStringList{"--config", "STATUS", "--logbook", "NOTALOGBOOK", "write-user-data", "X", "--engine-rebuild",
                           "--yes"}
            << "writing the user data failed: " + logbook;
        QTest::newRow("an erase the logbook cannot keep a copy for")
            << QStringList{"--demo"} << QStringList{"--logbook", "NOTALOGBOOK", "erase-rpm-limit"}
            << "erasing the RPM-limit data failed: " + logbook;
        QTest::newRow("a rebuild without the status display")
            << QStringList{"--demo"} << QStringList{"write-user-data", "X", "--engine-rebuild", "--yes"}
            << "need the status display";
        QTest::newRow("a loopback test on a line that gives nothing back")
            << QStringList{"--fault", "silent"} << QStringList{"ports", "--loopback", "DEVICE"}
            << "the loopback test failed: ";
        QTest::newRow("a PDF that cannot be written")
            << QStringList{"--demo"} << QStringList{"print", "--pdf", "/nonexistent/out.pdf"}
            << "/nonexistent/out.pdf cannot be written: No such file or directory";
        QTest::newRow("a trace that cannot be written")
            << QStringList{"--demo"} << QStringList{"--trace", "/nonexistent/t.txt", "read"}
            << "/nonexistent/t.txt: cannot write the trace";
    }

    void failuresSayWhatAndWhatToDo()
    {
        QFETCH(QStringList, modsim);
        QFETCH(QStringList, command);
        QFETCH(QString, says);
        QTemporaryDir dir;
        std::unique_ptr<ModsimProcess> sim;
        QString device = dir.filePath(QStringLiteral("ttyMissing"));
        if (!modsim.isEmpty()) {
            sim = std::make_unique<ModsimProcess>(modsim);
            device = sim->device();
        }
        const QString status = dir.filePath(QStringLiteral("Runlog.cfg")), text = dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(status, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nM\r\n!\r\nStatus_Display_True\r\n!\r\n")
                && writeFile(text, "not a logbook\n"));
        command.replaceInStrings(QRegularExpression(QStringLiteral("^STATUS$")), status);
        command.replaceInStrings(QRegularExpression(QStringLiteral("^NOTALOGBOOK$")), text);
        command.replaceInStrings(QRegularExpression(QStringLiteral("^DEVICE$")), device);
        const CliRun r = CliRun::run(QStringList{"--port", device} + command);
        QVERIFY2(r.exitCode == 1 && r.out.isEmpty(), qPrintable(r.err));
        const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(QLatin1String("runlog-cli: ")) && lines.first().contains(says),
                 qPrintable(lines.first()));
        if (!says.startsWith(QLatin1Char('/')) && !says.startsWith(QLatin1String("need")))
            QVERIFY2(lines.first().startsWith(QStringLiteral("runlog-cli: ") + device + QStringLiteral(": ")),
                     qPrintable(lines.first()));
        // A write that never began says nothing was written; a logbook gets no cable advice.
        if (says.contains(QLatin1String("data failed: ")))
            QVERIFY2(lines.first().endsWith(QLatin1String("; nothing was written.")), qPrintable(lines.first()));
        if (says.contains(QLatin1String("the logbook")))
            QVERIFY2(!lines.first().contains(QLatin1String("cable")), qPrintable(lines.first()));
        QVERIFY2(!lines.first().contains(QRegularExpression(QStringLiteral("Abort|Read|SetEEPROMAddress"))), qPrintable(lines.first()));
    }
};

QTEST_GUILESS_MAIN(tst_CliFailures)
#include "tst_CliFailures.moc"
