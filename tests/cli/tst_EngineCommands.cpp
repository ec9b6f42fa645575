#include "support/CliRun.h"
#include "support/Golden.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
QJsonDocument json(const CliRun &r)
{
    return QJsonDocument::fromJson(r.out.toUtf8());
}

QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                                          : QByteArray();
}

QString pdfText(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}
}  // namespace

// runlog-cli's engine commands, service report and verification over a real logbook fed
// by the built-in simulated module, whose user data is "HULL 4471 / SN 20931".
class tst_EngineCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void engineHistoryServiceAndReport()
    {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("logbook.sqlite"));
        const QString image = dir.filePath(QStringLiteral("module.bin"));
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nKorvane\r\n!\r\nStatus_Display_True\r\n!\r\n"));
        const QStringList common{"--demo", "--config", config, "--logbook", book};

        // A download, then a rebuild's clearing with the text unchanged: the write's own
        // read (2), the copy kept before the clearing (3) and the read-back (4).
        QCOMPARE(CliRun::run(common + QStringList{"read", "--save-image", image}).exitCode, 0);
        QCOMPARE(CliRun::run(common + QStringList{"write-user-data", "HULL 4471 / SN 20931", "--engine-rebuild", "--yes"}).exitCode,
                 0);

        // One engine, its lifetime carried on across the clearing.
        const QJsonArray engines = json(CliRun::run(common + QStringList{"engine", "list", "--format", "json"})).array();
        QCOMPARE(engines.size(), 1);
        QCOMPARE(engines[0].toObject().value("Name").toString(), QStringLiteral("HULL 4471 / SN 20931"));
        QCOMPARE(engines[0].toObject().value("LastDownload").toInt(), 4);
        const double total = engines[0].toObject().value("TotalHrs").toDouble();
        QCOMPARE(QString::number(total, 'f', 2), QStringLiteral("141.66"));

        const QJsonObject shown = json(CliRun::run(common + QStringList{"engine", "show", "1", "--format", "json"})).object();
        const QJsonArray history = shown.value("History").toArray();
        QCOMPARE(history.size(), 4);
        const QJsonObject cleared = history[3].toObject();
        QCOMPARE(cleared.value("KeptCopy").toInt(), 3);
        QVERIFY(cleared.value("CountedFromZero").toArray().contains(QStringLiteral("TotalHrs")));
        QCOMPARE(cleared.value("Note").toString(), QStringLiteral("cleared: download 3 is the copy kept before the clearing"));
        QCOMPARE(cleared.value("LifetimeHrs").toDouble(), total);

        // By name, in any case; a service interval, and a service at the first download.
        const CliRun set = CliRun::run(common + QStringList{"engine", "set", "hull 4471 / sn 20931", "--owner", "A. Sailor",
                                                           "--service-interval", "100", "--format", "json"});
        QCOMPARE(set.exitCode, 0);
        QCOMPARE(json(set).object().value("Service").toString(), QStringLiteral("overdue by 41.7 h"));
        const CliRun serviced = CliRun::run(common + QStringList{"engine", "serviced", "1", "--download", "1", "--format", "json"});
        QCOMPARE(json(serviced).object().value("Service").toString(), QStringLiteral("due in 100.0 h"));
        const CliRun elsewhere = CliRun::run(common + QStringList{"engine", "serviced", "1", "--download", "9"});
        QVERIFY2(elsewhere.exitCode == 1 && elsewhere.out.isEmpty() && elsewhere.err.count('\n') == 1, qPrintable(elsewhere.err));

        // The report of the first download: the letterhead, the engine, the figures, and
        // the SHA-256 of the image read --save-image wrote.
        const QString home = dir.filePath(QStringLiteral("home"));
        {
            QSettings settings(home + QStringLiteral("/Runlog/Runlog.conf"), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Workshop/Name"), QStringLiteral("Harbour Marine Engines"));
            settings.setValue(QStringLiteral("Workshop/Address"), QStringLiteral("12 Quay Street\nPort Ellen"));
            settings.setValue(QStringLiteral("Workshop/Phone"), QStringLiteral("01496 300 123"));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
        const QString pdf = dir.filePath(QStringLiteral("service.pdf"));
        const CliRun report = CliRun::run(common + QStringList{"report", "service", "1", "--pdf", pdf, "--technician",
                                                               "J. Smith", "--job", "4471-7"},
                                          environment);
        QVERIFY2(report.exitCode == 0 && report.out.trimmed() == pdf, qPrintable(report.err));
        const QString paper = pdfText(pdf);
        const QByteArray hash = sha256Of(image);
        QCOMPARE(hash.size(), 64);
        for (const QString &expected :
             {QStringLiteral("Harbour Marine Engines"), QStringLiteral("Port Ellen"), QStringLiteral("Telephone: 01496 300 123"),
              QStringLiteral("J. Smith"), QStringLiteral("4471-7"), QStringLiteral("HULL 4471 / SN 20931 (engine 1)"),
              QStringLiteral("A. Sailor"), QStringLiteral("Total Hours: 141.66"), QStringLiteral("Seconds at RPM Limit: 124.45"),
              QStringLiteral("Service Status: due in 100.0 h"), QStringLiteral("Engine Rebuild Flag: not set"),
              QString::fromLatin1(hash)})
            QVERIFY2(paper.simplified().contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + paper));

        // The hash finds the download again, and the two of the same bytes: the write's own
        // read and the copy kept before the clearing.
        const QJsonArray found = json(CliRun::run(common + QStringList{"logbook", "verify", QString::fromLatin1(hash).toUpper(),
                                                                       "--format", "json"}))
                                     .array();
        QStringList ids;
        for (const QJsonValue &kept : found)
            ids << QString::number(kept.toObject().value("Id").toInt());
        QCOMPARE(ids, (QStringList{"1", "2", "3"}));
        const CliRun none = CliRun::run(common + QStringList{"logbook", "verify", QString(64, QLatin1Char('0'))});
        QVERIFY2(none.exitCode == 1 && none.out.isEmpty() && none.err.contains(QLatin1String("no download")),
                 qPrintable(none.err));

        // The rebuilt engine's read-back goes to a new engine, and the next download follows it.
        const CliRun assigned = CliRun::run(common + QStringList{"engine", "assign", "4", "new", "--format", "json"});
        QCOMPARE(json(assigned).object().value("Engine").toInt(), 2);
        QCOMPARE(CliRun::run(common + QStringList{"read"}).exitCode, 0);
        const QJsonArray after = json(CliRun::run(common + QStringList{"engine", "export", "--format", "json"})).array();
        QCOMPARE(after.size(), 2);
        QCOMPARE(after[1].toObject().value("LastDownload").toInt(), 5);
        QCOMPARE(after[0].toObject().value("LastDownload").toInt(), 3);
    }

    // Every CSV output in the user's locale's way, with the units in its header; without
    // --csv-locale, the same for any locale.
    void csvForSpreadsheets_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("csvLocale");
        QTest::addColumn<QString>("totalColumn");
        QTest::addColumn<QString>("totalField");
        QTest::addColumn<QString>("separator");
        // The total of echo-full.bin is 141.65555 h as a 32-bit float.
        QTest::newRow("German") << "de_DE.UTF-8" << true << "TotalHrs (h)" << "141,65555" << ";";
        QTest::newRow("American") << "en_US.UTF-8" << true << "TotalHrs (h)" << "141.65555" << ",";
        QTest::newRow("German, for programs") << "de_DE.UTF-8" << false << "TotalHrs" << "141.65555" << ",";
    }

    void csvForSpreadsheets()
    {
        QFETCH(QString, locale);
        QFETCH(bool, csvLocale);
        QFETCH(QString, totalColumn);
        QFETCH(QString, totalField);
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
        const QStringList header = lines[0].split(separator), row = lines[1].split(separator);
        QCOMPARE(header.size(), 32);
        QCOMPARE(row.size(), header.size());
        const qsizetype total = header.indexOf(totalColumn);
        QVERIFY2(total > 0, qPrintable(lines[0]));
        QCOMPARE(row[total], totalField);
        QCOMPARE(header.contains(QStringLiteral("LimitSecs (s)")), csvLocale);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("set with nothing to set") << QStringList{"engine", "set", "1"} << "engine set needs";
        QTest::newRow("an interval of no hours") << QStringList{"engine", "set", "1", "--service-interval", "0"}
                                                 << "--service-interval takes";
        QTest::newRow("a detail elsewhere") << QStringList{"engine", "list", "--owner", "X"} << "belong to engine set";
        QTest::newRow("not a hash") << QStringList{"logbook", "verify", "abc"} << "is not a SHA-256";
        QTest::newRow("CSV locale without CSV") << QStringList{"engine", "list", "--csv-locale"} << "--csv-locale goes with";
        QTest::newRow("a report of nothing") << QStringList{"report", "service"} << "needs more arguments";
        QTest::newRow("an engine command unknown") << QStringList{"engine", "delete", "1"} << "engine takes";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const CliRun r = CliRun::run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.out.isEmpty() && r.err.contains(reason) && r.err.contains(QLatin1String("Usage:")), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(tst_EngineCommands)
#include "tst_EngineCommands.moc"
