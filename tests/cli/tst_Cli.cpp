#include "support/CliRun.h"
#include "support/Golden.h"
#include "link/DeviceSerialPort.h"
#include "support/ModsimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <sys/stat.h>

// runlog-cli against runlog-modsim on a pseudo-terminal.
class tst_Cli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read()
    {
        ModsimProcess sim({QStringLiteral("--demo")});
        QTemporaryDir dir;
        const QString trace = dir.filePath(QStringLiteral("trace.txt"));
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "Acme\r\nArial\r\n20\r\nbold\r\nNULL\r\n!\r\nAcme Marine\r\n!\r\n"
                                  "Status_Display_True\r\n!\r\n"));

        const CliRun json = CliRun::run({"--port", sim.device(), "--trace", trace, "read", "--format", "json",
                                         "--comment", "Hull 7"});
        QVERIFY2(json.exitCode == 0 && json.err.isEmpty(), qPrintable(json.err));
        const QJsonObject record = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(record.value("Comment").toString() + record.value("UserData").toString(),
                 "Hull 7" + QStringLiteral("HULL 4471 / SN 20931").leftJustified(32));
        QCOMPARE(record.value("TempBandHours").toArray().size(), 7);
        QCOMPARE(float(record.value("TotalHrs").toDouble()), 141.65555f);

        const CliRun text = CliRun::run({"--port", sim.device(), "--trace", trace, "--config", config, "read",
                                         "--comment", "Hull 7"});
        QCOMPARE(text.exitCode, 0);
        const QStringList lines = text.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("         Acme Marine Ignition Module Data"));
        QCOMPARE(lines.value(2), QStringLiteral("         Serial/Comment:     Hull 7"));
        QVERIFY(lines.contains(QStringLiteral("         Module Status: Break-in RPM Limit Enabled")));

        // The trace: appended by each run, one line per event, every byte in hex.
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString traced = QString::fromUtf8(file.readAll());
        QCOMPARE(traced.count(QRegularExpression(QStringLiteral("^# runlog-cli "), QRegularExpression::MultilineOption)), 2);
        for (const QString &event : {"open " + sim.device(), QStringLiteral("tx 10"), QStringLiteral("rx 52"), QStringLiteral("pause 5 ms, took "), QStringLiteral("close")})
            QVERIFY2(traced.count(QRegularExpression("^ +[0-9]+  " + QRegularExpression::escape(event), QRegularExpression::MultilineOption)) >= 2, qPrintable(event));
    }

    // A disk that takes no more is a failure of the file, said with its path and the
    // system's reason, and no half-written file stays.
    void aFullDiskIsAFailure_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");  // DISK: a folder on a full file system
        QTest::addColumn<QString>("says");
        const QString cli = QStringLiteral(RUNLOG_CLI_PATH), modsim = QStringLiteral(RUNLOG_MODSIM_PATH);
        QTest::newRow("image") << cli << QStringList{"--demo", "read", "--save-image", "DISK/m.bin"}
                               << "cannot write the image: DISK/m.bin: ";
        QTest::newRow("PDF") << cli << QStringList{"--demo", "print", "--pdf", "DISK/r.pdf"}
                             << "printing failed: The PDF DISK/r.pdf could not be written whole";
        QTest::newRow("trace") << cli << QStringList{"--demo", "--trace", "DISK/t.txt", "read"}
                               << "DISK/t.txt: cannot write the trace: ";
        QTest::newRow("the simulator's image") << modsim << QStringList{"--demo", "--save", "DISK/m.bin"}
                                               << "cannot write the image: DISK/m.bin: ";
    }

    void aFullDiskIsAFailure()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QTemporaryDir dir;
        // A small file system of the test's own, filled, in a mount namespace of its own.
        const QString mountFull = QStringLiteral("mount -t tmpfs -o size=8k runlog-test \"$0\" && "
                                                 "{ head -c 65536 /dev/zero > \"$0/fill\"; } 2>/dev/null || true;");
        QProcess probe;
        probe.start(QStringLiteral("unshare"), {"-rm", "sh", "-c", mountFull, dir.path()});
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            QSKIP("no mount namespace here to make a full file system in");
        for (QString &a : args)
            a.replace(QLatin1String("DISK"), dir.path());
        says.replace(QLatin1String("DISK"), dir.path());
        QProcess p;
        p.start(QStringLiteral("unshare"), QStringList{"-rm", "sh", "-c", mountFull + QStringLiteral(" exec \"$@\""),
                                                       dir.path(), program} + args);
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(err.contains(says) && (err.contains(QLatin1String("space")) || says.contains("whole")), qPrintable(err));
        QVERIFY(p.readAllStandardOutput().isEmpty());
    }

    void secondProcessFindsThePortBusy()
    {
        ModsimProcess sim({QStringLiteral("--demo")});
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyModule"));
        QVERIFY(QFile::link(sim.device(), link));
        // This process owns the port, through another name for it, as an operation would.
        DeviceSerialPort held([&](int) { return link; });
        held.setHeld(true);
        QCOMPARE(held.open(), std::nullopt);
        held.close();
        const CliRun r = CliRun::run({"--port", sim.device(), "read"});
        QVERIFY2(r.exitCode == 1 && r.err.contains(QStringLiteral("the port is busy: %1 is in use by process %2")
                                                       .arg(sim.device()).arg(QCoreApplication::applicationPid())),
                 qPrintable(r.err));
        held.setHeld(false);
        QCOMPARE(CliRun::run({"--port", sim.device(), "read"}).exitCode, 0);
    }

    // Every CSV output in the user's locale's way, with the units in its header; without
    // --csv-locale, the same for any locale. The total of echo-full.bin is 141.65555 h as a
    // 32-bit float.
    void csvForSpreadsheets_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("csvLocale");
        QTest::addColumn<QStringList>("header");  // the total's column among the 32, and the limit's
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("separator");
        QTest::newRow("German") << "de_DE.UTF-8" << true << QStringList{"TotalHrs (h)", "LimitSecs (s)"} << "141,65555" << ";";
        QTest::newRow("American") << "en_US.UTF-8" << true << QStringList{"TotalHrs (h)", "LimitSecs (s)"} << "141.65555" << ",";
        QTest::newRow("German, for programs") << "de_DE.UTF-8" << false << QStringList{"TotalHrs", "LimitSecs"} << "141.65555" << ",";
    }

    void csvForSpreadsheets()
    {
        QFETCH(QString, locale);
        QFETCH(bool, csvLocale);
        QFETCH(QStringList, header);
        QFETCH(QString, total);
        QFETCH(QString, separator);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        QStringList arguments{"decode", goldenPath(QStringLiteral("echo-full.bin")), "--format", "csv"};
        if (csvLocale)
            arguments << "--csv-locale";
        const CliRun r = CliRun::run(arguments, environment);
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QStringList columns = lines[0].split(separator), row = lines[1].split(separator);
        QCOMPARE(columns.size(), 32);
        QCOMPARE(row.size(), 32);
        QVERIFY2(columns.contains(header[1]) && columns.indexOf(header[0]) > 0, qPrintable(lines[0]));
        QCOMPARE(row[columns.indexOf(header[0])], total);
    }

    // What the command line refuses, before anything opens a port or a file; every file a
    // run writes among it: a FIFO (it would block), a device or a folder is refused before
    // anything opens it or creates a file beside it.
    void usage_data()
    {
        QTest::addColumn<QStringList>("args");  // FIFO: a FIFO in the test's folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: runlog-cli";
        QTest::newRow("no command") << QStringList{} << 2 << "no command given\n\nUsage: runlog-cli";
        QTest::newRow("unknown command") << QStringList{"fly"} << 2 << "unknown command fly";
        QTest::newRow("Com256") << QStringList{"--port", "Com256", "read"} << 2 << "Com1 to Com255";
        QTest::newRow("user data over 32 characters") << QStringList{"write-user-data", QString(33, 'x')} << 2
                                                      << "at most 32 characters";
        QTest::newRow("user data not ASCII") << QStringList{"write-user-data", QStringLiteral("café")} << 2
                                             << "the user data takes printable ASCII only; TEXT has U+00E9\n";
        QTest::newRow("engine set with nothing to set") << QStringList{"engine", "set", "1"} << 2 << "engine set needs";
        QTest::newRow("an interval of no hours") << QStringList{"engine", "set", "1", "--service-interval", "0"} << 2
                                                 << "--service-interval takes";
        QTest::newRow("an engine detail elsewhere") << QStringList{"engine", "list", "--owner", "X"} << 2
                                                    << "belong to engine set";
        QTest::newRow("not a hash") << QStringList{"logbook", "verify", "abc"} << 2 << "is not a SHA-256";
        QTest::newRow("CSV locale without CSV") << QStringList{"engine", "list", "--csv-locale"} << 2
                                                << "--csv-locale goes with";
        QTest::newRow("a report of nothing") << QStringList{"report", "service"} << 2 << "needs more arguments";
        QTest::newRow("an engine command unknown") << QStringList{"engine", "delete", "1"} << 2 << "engine takes";
        QTest::newRow("image") << QStringList{"--demo", "read", "--save-image", "FIFO"} << 2
                               << "--save-image: FIFO is not a regular file";
        QTest::newRow("trace") << QStringList{"--demo", "--trace", "FIFO", "read"} << 2 << "--trace: FIFO is not";
        QTest::newRow("logbook") << QStringList{"--demo", "--logbook", "FIFO", "logbook", "list"} << 2 << "--logbook: FIFO is not";
        QTest::newRow("a device as logbook") << QStringList{"--demo", "--logbook", "/dev/null", "read"} << 2
                                             << "--logbook: /dev/null is not a regular file";
        QTest::newRow("decode") << QStringList{"decode", "FIFO"} << 2 << "decode FIFO: is not a regular file";
        QTest::newRow("configuration") << QStringList{"--config", "FIFO", "read"} << 2 << "--config FIFO: is not a regular file";
        QTest::newRow("the chart's second document")
            << QStringList{"--demo", "print-chart", "--pdf", "DIR/chart.pdf"} << 2 << "--pdf: DIR/chart-2.pdf is not";
    }

    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0
                && ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("chart-2.pdf"))).constData(), 0600) == 0);
        for (QString &a : args)
            a.replace(QLatin1String("FIFO"), fifo).replace(QLatin1String("DIR"), dir.path());
        says.replace(QLatin1String("FIFO"), fifo).replace(QLatin1String("DIR"), dir.path());
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        const CliRun r = CliRun::run(args);  // a FIFO opened would block until the run's timeout
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 0)
            QVERIFY2(r.err.isEmpty() && r.out.startsWith(says) && r.out.contains("logbook list [--filter TEXT]"), qPrintable(r.out));
        else
            QVERIFY2(r.out.isEmpty() && r.err.startsWith(QStringLiteral("runlog-cli: ")) && r.err.contains(says), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), before);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/dev/null-journal")));
    }

    // A failure is one line on standard error that says what was being done, why it failed
    // and what to do, with exit status 1.
    void failuresSayWhatAndWhatToDo_data()
    {
        QTest::addColumn<QStringList>("modsim");  // empty: no simulator, the device is missing
        QTest::addColumn<QStringList>("command");  // STATUS: a configuration with the status display;
                                                   // NOTALOGBOOK: a text file given as the logbook
        QTest::addColumn<QString>("says");

        QTest::newRow("silent module") << QStringList{"--fault", "silent"} << QStringList{"read"}
                                       << "reading the statistics failed: the module did not answer in time. Check the cable";
        QTest::newRow("missing device") << QStringList{} << QStringList{"read"} << "no such device (";
        QTest::newRow("a write that stops says what got in")
            << QStringList{"--demo", "--fault", "lose-command=110"} << QStringList{"write-user-data", "NEW"}
            << "writing the user data stopped: the module did not answer in time. Check the cable and the port, "
               "and that the module is powered. Written: nothing. Partly written: the user data (10 or 11 of 32 bytes).";
        QTest::newRow("a rebuild the logbook cannot keep a copy for")
            << QStringList{"--demo"}
            << QStringList{"--config", "STATUS", "--logbook", "NOTALOGBOOK", "write-user-data", "X", "--engine-rebuild",
                           "--yes"}
            << "writing the user data failed: the logbook could not keep a copy of the counters about to be cleared (";
        QTest::newRow("a rebuild without the status display")
            << QStringList{"--demo"} << QStringList{"write-user-data", "X", "--engine-rebuild", "--yes"}
            << "need the status display";
        QTest::newRow("a rebuild not confirmed")
            << QStringList{"--demo"} << QStringList{"--config", "STATUS", "write-user-data", "X", "--engine-rebuild"}
            << "--engine-rebuild needs a terminal to confirm on, or --yes; nothing was written";
        QTest::newRow("break-in off without the configuration's leave")
            << QStringList{"--demo"} << QStringList{"--config", "STATUS", "write-user-data", "X", "--break-in", "off"}
            << "--break-in off: the configuration does not let the break-in limit be cleared";
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
        // What failed on the line names the line first.
        if (says.contains(QRegularExpression(QStringLiteral("failed|stopped|no such device"))))
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

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
