#include "support/CliRun.h"
#include "support/Golden.h"

#include <QCryptographicHash>
#include <QFileInfo>
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

QString pdfText(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}
}  // namespace

// runlog-cli's logbook, engine and report commands over a real logbook fed by the
// built-in simulated module, whose user data is "HULL 4471 / SN 20931". What the logbook
// does with the downloads is tst_Logbook's; this is what each command makes of it.
class tst_LogbookCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logbookEnginesAndReports()
    {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("logbook.sqlite"));
        const QString image = dir.filePath(QStringLiteral("module.bin"));
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nKorvane\r\n!\r\nStatus_Display_True\r\n!\r\n"));
        const QStringList common{"--demo", "--config", config, "--logbook", book};
        const auto run = [&](const QStringList &arguments) { return CliRun::run(common + arguments); };

        // A download, then a rebuild's clearing with the text unchanged: the write's own
        // read (2), the copy kept before the clearing (3) and the read-back (4).
        const CliRun read = run({"read", "--format", "json", "--save-image", image});
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(run({"write-user-data", "HULL 4471 / SN 20931", "--engine-rebuild", "--yes"}).exitCode, 0);

        const QJsonArray listed = json(run({"logbook", "list", "--format", "json"})).array();
        QCOMPARE(listed.size(), 4);  // newest first
        QCOMPARE(listed[1].toObject().value("Reason").toString(), QStringLiteral("before the engine-rebuild clearing"));
        QCOMPARE(listed[0].toObject().value("TotalHrs").toDouble(), 0.0);
        // A kept download shows as it was read; the image saved decodes offline to the same
        // record, less the ID it does not hold.
        QCOMPARE(json(run({"logbook", "show", "1", "--format", "json"})).object(), json(read).object());
        QJsonObject decoded = json(CliRun::run({"decode", image, "--format", "json"})).object(), expected = json(read).object();
        decoded.remove("FirmwareID");
        expected.remove("FirmwareID");
        QCOMPARE(decoded, expected);

        const QStringList exported = run({"logbook", "export", "--format", "csv"}).out.trimmed().split('\n');
        QCOMPARE(exported.size(), 5);  // a header, its four columns of the kept and the record's 32, and the four
        QVERIFY(exported.first().startsWith(QLatin1String("Id,TakenAt,Port,Reason,FirmwareID,UserData,RPMBandHours0,"))
                && exported.first().count(',') == 35);
        QVERIFY(exported[3].contains(QLatin1String(",before the engine-rebuild clearing,")));

        // On paper a kept copy says where it came from and why it was kept.
        QCOMPARE(run({"logbook", "print", "3", "--pdf", dir.filePath("kept.pdf")}).exitCode, 0);
        const QString kept = pdfText(dir.filePath("kept.pdf"));
        QVERIFY2(kept.contains(QLatin1String("Port: simulated module on Com1"))
                     && kept.contains(QLatin1String("Kept: copy of the counters before the engine-rebuild clearing")),
                 qPrintable(kept));

        // One engine, its lifetime carried on across the clearing, which its history names.
        const QJsonArray engines = json(run({"engine", "list", "--format", "json"})).array();
        QCOMPARE(engines.size(), 1);
        QCOMPARE(QString::number(engines[0].toObject().value("TotalHrs").toDouble(), 'f', 2), QStringLiteral("141.66"));
        const QJsonArray history = json(run({"engine", "show", "1", "--format", "json"})).object().value("History").toArray();
        QCOMPARE(history[3].toObject().value("Note").toString(),
                 QStringLiteral("cleared: download 3 is the copy kept before the clearing"));

        // By name, in any case; a service interval, and a service at the first download.
        QCOMPARE(json(run({"engine", "set", "hull 4471 / sn 20931", "--owner", "A. Sailor", "--service-interval", "100",
                           "--format", "json"})).object().value("Service").toString(),
                 QStringLiteral("overdue by 41.7 h"));
        QCOMPARE(json(run({"engine", "serviced", "1", "--download", "1", "--format", "json"})).object().value("Service").toString(),
                 QStringLiteral("due in 100.0 h"));

        // The service report of the first download (what it holds is the printout's own
        // test): the workshop from the settings, the job, and the SHA-256 of the image read
        // --save-image wrote, which finds the download again.
        const QString home = dir.filePath(QStringLiteral("home"));
        QSettings(home + QStringLiteral("/Runlog/Runlog.conf"), QSettings::IniFormat)
            .setValue(QStringLiteral("Workshop/Name"), QStringLiteral("Harbour Marine Engines"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
        const QString pdf = dir.filePath(QStringLiteral("service.pdf"));
        const CliRun report = CliRun::run(common + QStringList{"report", "service", "1", "--pdf", pdf, "--technician",
                                                               "J. Smith", "--job", "4471-7"},
                                          environment);
        QVERIFY2(report.exitCode == 0 && report.out.trimmed() == pdf, qPrintable(report.err));
        const QString paper = pdfText(pdf);
        QFile saved(image);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString hash = QString::fromLatin1(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256).toHex());
        for (const QString &expected : {QStringLiteral("Harbour Marine Engines"), QStringLiteral("J. Smith"), QStringLiteral("4471-7"),
                                        QStringLiteral("A. Sailor"), QStringLiteral("Service Status: due in 100.0 h"), hash})
            QVERIFY2(paper.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + paper));
        QCOMPARE(json(run({"logbook", "verify", hash.toUpper(), "--format", "json"})).array().size(), 3);

        // The rebuilt engine's read-back goes to a new engine. Downloads of two engines (a new
        // text) are compared only when asked; a clearing between two is named, never subtracted.
        QCOMPARE(json(run({"engine", "assign", "4", "new", "--format", "json"})).object().value("Engine").toInt(), 2);
        QCOMPARE(run({"write-user-data", "HULL 12"}).exitCode, 0);
        const CliRun refused = run({"logbook", "diff", "6", "1"});
        QVERIFY2(refused.exitCode == 1 && refused.err.contains(QLatin1String("--any-engines")), qPrintable(refused.err));
        const CliRun text = run({"logbook", "diff", "1", "4"});
        QVERIFY2(text.out.contains(QLatin1String("Cleared between these downloads; download 3 is the copy kept before "
                                                 "the clearing."))
                     && text.out.contains(QRegularExpression(QStringLiteral("Total Hours: +cleared\n"))),
                 qPrintable(text.out));

        // Each run's simulated module starts from the same image again.
        const QJsonObject erased = json(run({"erase-rpm-limit", "--format", "json"})).object();
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(erased.value("LimitSecs").toDouble()).arg(erased.value("MaxRPM").toInt())
                     .arg(erased.value("EngStarts").toInt()),
                 QStringLiteral("0 0 1234"));
        QCOMPARE(json(run({"logbook", "list", "--format", "json"})).array()[1].toObject().value("Reason").toString(),
                 QStringLiteral("before Erase RPM Limit Data"));

        // A file that is not a logbook: named, never written, and the read itself still completes.
        const QString notes = dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(notes, "mine\n"));
        const CliRun notALogbook = CliRun::run({"--demo", "--logbook", notes, "read"});
        QCOMPARE(notALogbook.exitCode, 0);
        QVERIFY2(notALogbook.err.contains(notes + QStringLiteral(" is not a logbook")), qPrintable(notALogbook.err));
        QCOMPARE(QFileInfo(notes).size(), 5);
    }
};

QTEST_GUILESS_MAIN(tst_LogbookCommands)
#include "tst_LogbookCommands.moc"
