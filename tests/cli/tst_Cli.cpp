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

using ByteChanges = QMap<int, int>;  // address -> new byte

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

    // Every file a run writes: a FIFO, a device or a folder is refused before anything
    // opens it (a FIFO would block) or creates a file beside it.
    void filesThatAreNotFilesAreRefused_data()
    {
        QTest::addColumn<QStringList>("args");  // FIFO: a FIFO in the test's folder
        QTest::addColumn<QString>("says");
        QTest::newRow("image") << QStringList{"--demo", "read", "--save-image", "FIFO"} << "--save-image: FIFO is not a regular file";
        QTest::newRow("trace") << QStringList{"--demo", "--trace", "FIFO", "read"} << "--trace: FIFO is not";
        QTest::newRow("logbook") << QStringList{"--demo", "--logbook", "FIFO", "logbook", "list"} << "--logbook: FIFO is not";
        QTest::newRow("a device as logbook") << QStringList{"--demo", "--logbook", "/dev/null", "read"}
                                             << "--logbook: /dev/null is not a regular file";
        QTest::newRow("decode") << QStringList{"decode", "FIFO"} << "decode FIFO: is not a regular file";
        QTest::newRow("the chart's second document")
            << QStringList{"--demo", "print-chart", "--pdf", "DIR/chart.pdf"} << "--pdf: DIR/chart-2.pdf is not";
    }

    void filesThatAreNotFilesAreRefused()
    {
        QFETCH(QStringList, args);
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
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("runlog-cli: ") + says), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), before);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/dev/null-journal")));
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

    void writes_data()
    {
        QTest::addColumn<QStringList>("options");  // configuration option lines
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<ByteChanges>("changes");  // address -> new byte

        const auto at = [](int start, const QByteArray &bytes) {
            ByteChanges c;
            for (int i = 0; i < bytes.size(); ++i)
                c[start + i] = quint8(bytes[i]);
            return c;
        };
        ByteChanges breakInOff = at(224, QByteArray("NEW 1").leftJustified(32, ' '));
        breakInOff[148] = 0x07;
        QTest::newRow("user data, break-in off with the clear flag")
            << QStringList{"Status_Display_True", "Clear_Break_In_Limit_Enable_True"}
            << QStringList{"write-user-data", "NEW 1", "--break-in", "off"} << 0 << breakInOff;
        QTest::newRow("break-in off without the clear flag: nothing written")
            << QStringList{"Status_Display_True"} << QStringList{"write-user-data", "NEW 1", "--break-in", "off"} << 1
            << ByteChanges{};
        QTest::newRow("engine rebuild without a terminal or --yes")
            << QStringList{"Status_Display_True"} << QStringList{"write-user-data", "NEW 1", "--engine-rebuild"} << 1
            << ByteChanges{};
        QTest::newRow("erase") << QStringList{} << QStringList{"erase-rpm-limit"} << 0 << at(188, QByteArray(4, '\0'));
    }

    void writes()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, command);
        QFETCH(int, exitCode);
        QFETCH(ByteChanges, changes);

        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("module.bin"));
        QVERIFY(QFile::copy(goldenPath(QStringLiteral("plain-wot.bin")), saved));
        QFile::setPermissions(saved, QFile::ReadOwner | QFile::WriteOwner);
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nMaker\r\n!\r\n"
                                      + options.join("\r\n").toLatin1() + (options.isEmpty() ? "" : "\r\n") + "!\r\n"));
        const auto before = goldenImage(QStringLiteral("plain-wot.bin"));
        {
            ModsimProcess sim({"--plain", "--image", saved, "--save", saved});
            const CliRun r = CliRun::run(QStringList{"--port", sim.device(), "--config", config} + command
                                         + QStringList{"--format", "json"});
            QCOMPARE(r.exitCode, exitCode);
            QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8()).object().isEmpty(), exitCode != 0);
        }
        const auto after = goldenImage(saved);
        for (int a = 0; a < 256; ++a)
            QCOMPARE(int(after[size_t(a)]), changes.value(a, before[size_t(a)]));
    }

    void printChartWithTemperatures()
    {
        ModsimProcess sim({QStringLiteral("--demo")});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const CliRun r = CliRun::run({"--port", sim.device(), "print-chart", "--pdf", pdf, "--comment", "Hull 7"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, pdf + '\n' + dir.filePath(QStringLiteral("out-2.pdf")) + '\n');
        for (const QString &f : r.out.trimmed().split('\n'))
            QVERIFY2(QFileInfo(f).size() > 1000, qPrintable(f));  // what is on them is the printout test's
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "  logbook list [--filter TEXT]";
        QTest::newRow("no command") << QStringList{} << 2 << "no command given";
        QTest::newRow("unknown command") << QStringList{"fly"} << 2 << "unknown command fly";
        QTest::newRow("Com256") << QStringList{"--port", "Com256", "read"} << 2 << "Com1 to Com255";
        QTest::newRow("config a FIFO") << QStringList{"--config", "FIFO", "read"} << 2 << "not a regular file";
        QTest::newRow("user data over 32 characters") << QStringList{"write-user-data", QString(33, 'x')} << 2
                                                      << "at most 32 characters";
        QTest::newRow("user data not ASCII") << QStringList{"write-user-data", QStringLiteral("café")} << 2
                                             << "the user data takes printable ASCII only; TEXT has U+00E9\n";
    }

    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^FIFO$")), fifo);
        const CliRun r = CliRun::run(args);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 2) {
            QVERIFY(r.out.isEmpty() && r.err.contains(QLatin1String("Usage: runlog-cli")));
            QVERIFY2(r.err.startsWith(QStringLiteral("runlog-cli: ")) && r.err.contains(says), qPrintable(r.err));
        } else {
            QVERIFY2(r.err.isEmpty() && r.out.startsWith(QLatin1String("Usage: runlog-cli")) && r.out.contains(says),
                     qPrintable(r.out));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
