#include "support/CliRun.h"
#include "support/Golden.h"
#include "support/ModsimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using ByteChanges = QMap<int, int>;  // address -> new byte

// runlog-cli against runlog-modsim on a pseudo-terminal.
class tst_Cli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readBothKinds_data()
    {
        QTest::addColumn<bool>("echoes");
        QTest::newRow("echoing") << true;
        QTest::newRow("plain") << false;
    }

    void readBothKinds()
    {
        QFETCH(bool, echoes);
        QStringList args{QStringLiteral("--demo")};
        if (!echoes)
            args << QStringLiteral("--plain");
        ModsimProcess sim(args);
        QVERIFY(!sim.device().isEmpty());

        const CliRun text = CliRun::run({"--port", sim.device(), "read", "--comment", "Hull 7"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(text.err.isEmpty(), qPrintable(text.err));
        const QStringList lines = text.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("         Korvane Ignition Module Data"));
        QVERIFY(lines.value(1).startsWith(QLatin1String("         Downloaded:         ")));
        QCOMPARE(lines.value(2), QStringLiteral("         Serial/Comment:     Hull 7"));
        QCOMPARE(lines.value(3), QStringLiteral("         Firmware ID:        RL-7.02 IGN ") + (echoes ? "E" : "P"));
        QVERIFY(lines.contains(QStringLiteral("         Total Hours:             141.66")));
        QVERIFY(lines.contains(QStringLiteral("         Total Hours at WOT:      13.98")));
        QVERIFY(lines.contains(QStringLiteral("         6500-6999           0.11")));
        QCOMPARE(lines.contains(QStringLiteral("         Elapsed Time in Temperature Bands")), echoes);

        const CliRun json = CliRun::run({"--port", sim.device(), "read", "--format", "json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonObject record = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(record.value("ModuleEchoes").toBool(), echoes);
        QCOMPARE(record.value("UserData").toString(), QStringLiteral("HULL 4471 / SN 20931").leftJustified(32));
        QCOMPARE(record.value("RPMBandHours").toArray().size(), 13);
        QCOMPARE(record.value("TempBandHours").toArray().size(), 7);
        QCOMPARE(float(record.value("TotalHrs").toDouble()), 141.65555f);
        QCOMPARE(record.value("EngStarts").toInt(), 1234);
        QCOMPARE(record.value("DataFlags").toInt(), echoes ? 3 : 1);
        QCOMPARE(json.out.left(16), QStringLiteral("{\n  \"FirmwareID\""));

        const CliRun csv = CliRun::run({"--port", sim.device(), "read", "--format", "csv"});
        QCOMPARE(csv.exitCode, 0);
        const QStringList rows = csv.out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].split(QLatin1Char(',')).size(), 32);
        QVERIFY(rows[1].startsWith(QStringLiteral("RL-7.02 IGN ")));
    }

    void statusDisplayFromTheConfiguration()
    {
        ModsimProcess sim({QStringLiteral("--demo")});
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "Acme\r\nArial\r\n20\r\nbold\r\nNULL\r\n!\r\nAcme Marine\r\n!\r\n"
                                  "Status_Display_True\r\n!\r\n"));
        const CliRun r = CliRun::run({"--port", sim.device(), "--config", config, "read"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith(QLatin1String("         Acme Marine Ignition Module Data\n")));
        QVERIFY(r.out.contains(QLatin1String("\n         Module Status: Break-in RPM Limit Enabled\n")));
    }

    void incompleteReadsFail_data()
    {
        QTest::addColumn<QStringList>("modsim");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("silent module") << QStringList{"--fault", "silent"}
                                       << "Firmware ID read failed - cannot read Runlog.";
        QTest::newRow("plain module claiming temperatures")
            << QStringList{"--plain", "--image", goldenPath("plain-temps.bin")} << "ReadTempData";
        QTest::newRow("hang-up halfway") << QStringList{"--demo", "--fault", "hangup-after=20"} << "ReadEEPROMData";
        QTest::newRow("address not acknowledged") << QStringList{"--demo", "--fault", "nak-address"} << "ReadUserData";
    }

    void incompleteReadsFail()
    {
        QFETCH(QStringList, modsim);
        QFETCH(QString, stderrHas);
        ModsimProcess sim(modsim);
        const CliRun r = CliRun::run({"--port", sim.device(), "read", "--format", "json"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
    }

    void missingPort()
    {
        const CliRun r = CliRun::run({"--port", "/dev/ttyRunlogMissing", "read"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QLatin1String("Error: ")));
        QVERIFY(r.err.contains(QLatin1String("ReadFirmwareID")));
    }

    void writes_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("options");  // configuration option lines
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<ByteChanges>("changes");  // address -> new byte

        ByteChanges userData;
        const QByteArray typed = QByteArray("NEW 1").leftJustified(32, ' ');
        for (int i = 0; i < 32; ++i)
            userData[224 + i] = quint8(typed[i]);
        ByteChanges rebuild = userData;
        for (int i = 0; i < 36; ++i)
            rebuild[160 + i] = 0;
        rebuild[148] = 0xC7;
        ByteChanges breakInOff = userData;
        breakInOff[148] = 0x07;
        ByteChanges erase;
        for (int i = 188; i < 192; ++i)
            erase[i] = 0;

        const QStringList status{"Status_Display_True"};
        QTest::newRow("user data") << "plain-wot.bin" << QStringList{} << QStringList{"write-user-data", "NEW 1"} << 0
                                   << userData;
        QTest::newRow("engine rebuild with --yes")
            << "plain-wot.bin" << status << QStringList{"write-user-data", "NEW 1", "--engine-rebuild", "--yes"} << 0
            << rebuild;
        QTest::newRow("engine rebuild without a terminal or --yes")
            << "plain-wot.bin" << status << QStringList{"write-user-data", "NEW 1", "--engine-rebuild"} << 1
            << ByteChanges{};
        QTest::newRow("break-in off with the clear flag")
            << "plain-wot.bin" << QStringList{"Status_Display_True", "Clear_Break_In_Limit_Enable_True"}
            << QStringList{"write-user-data", "NEW 1", "--break-in", "off"} << 0 << breakInOff;
        QTest::newRow("break-in off without it")
            << "plain-wot.bin" << status << QStringList{"write-user-data", "NEW 1", "--break-in", "off"} << 0
            << userData;
        QTest::newRow("a read that does not complete writes nothing")
            << "plain-temps.bin" << QStringList{} << QStringList{"write-user-data", "NEW 1"} << 1 << ByteChanges{};
        QTest::newRow("erase") << "plain-wot.bin" << QStringList{} << QStringList{"erase-rpm-limit"} << 0 << erase;
    }

    void writes()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, options);
        QFETCH(QStringList, command);
        QFETCH(int, exitCode);
        QFETCH(ByteChanges, changes);

        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("module.bin"));
        QVERIFY(QFile::copy(goldenPath(image), saved));
        QFile::setPermissions(saved, QFile::ReadOwner | QFile::WriteOwner);
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nMaker\r\n!\r\n"
                                      + options.join("\r\n").toLatin1() + (options.isEmpty() ? "" : "\r\n") + "!\r\n"));
        const auto before = goldenImage(image);
        {
            ModsimProcess sim({"--plain", "--image", saved, "--save", saved});
            const CliRun r = CliRun::run(QStringList{"--port", sim.device(), "--config", config} + command
                                         + QStringList{"--format", "json"});
            QCOMPARE(r.exitCode, exitCode);
            if (exitCode == 0)
                QVERIFY(!QJsonDocument::fromJson(r.out.toUtf8()).object().isEmpty());
            else
                QVERIFY(!r.err.isEmpty());
        }
        QFile after(saved);
        QVERIFY(after.open(QIODevice::ReadOnly));
        const QByteArray bytes = after.readAll();
        QCOMPARE(bytes.size(), 256);
        for (int a = 0; a < 256; ++a)
            QCOMPARE(int(quint8(bytes[a])), changes.value(a, before[size_t(a)]));
    }

    void print_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("echoes");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("statistics") << "print" << true << QStringList{"out.pdf"};
        QTest::newRow("chart with temperatures") << "print-chart" << true << QStringList{"out.pdf", "out-2.pdf"};
        QTest::newRow("chart without") << "print-chart" << false << QStringList{"out.pdf"};
    }

    void print()
    {
        QFETCH(QString, command);
        QFETCH(bool, echoes);
        QFETCH(QStringList, files);
        QStringList args{QStringLiteral("--demo")};
        if (!echoes)
            args << QStringLiteral("--plain");
        ModsimProcess sim(args);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const CliRun r = CliRun::run({"--port", sim.device(), command, "--pdf", pdf, "--comment", "Hull 7"});
        QCOMPARE(r.exitCode, 0);
        QStringList written;
        for (const QString &f : files)
            written << dir.filePath(f);
        QCOMPARE(r.out.trimmed().split(QLatin1Char('\n')), written);
        for (const QString &f : written) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(5) == "%PDF-");
        }
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out-3.pdf"))));
    }

    void printChartOfAnEmptyModuleIsRefused()
    {
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("empty.bin"));
        QVERIFY(writeFile(image, QByteArray(256, '\0')));
        ModsimProcess sim({"--image", image});
        const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
        const CliRun r = CliRun::run({"--port", sim.device(), "print-chart", "--pdf", pdf});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QLatin1String("Data buffer empty.")));
        QVERIFY(!QFile::exists(pdf));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("version") << QStringList{"--version"} << 0;
        QTest::newRow("no command") << QStringList{} << 2;
        QTest::newRow("unknown command") << QStringList{"fly"} << 2;
        QTest::newRow("bad format") << QStringList{"read", "--format", "xml"} << 2;
        QTest::newRow("bad demo kind") << QStringList{"--demo=loud", "read"} << 2;
        QTest::newRow("missing value") << QStringList{"read", "--port"} << 2;
        QTest::newRow("write without text") << QStringList{"write-user-data"} << 2;
        QTest::newRow("user data over 32 characters") << QStringList{"write-user-data", QString(33, 'x')} << 2;
        QTest::newRow("break-in on read") << QStringList{"read", "--break-in", "on"} << 2;
    }

    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const CliRun r = CliRun::run(args);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 2)
            QVERIFY(r.err.contains(QLatin1String("Usage: runlog-cli")));
    }
};

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
