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
        QVERIFY(writeFile(config, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nKorvane\r\n!\r\nStatus_Display_True\r\n"
                                  "Clear_Break_In_Limit_Enable_True\r\n!\r\n"));
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

        // One engine, its lifetime carried on across the clearing, which its history links.
        const QJsonArray engines = json(run({"engine", "list", "--format", "json"})).array();
        QCOMPARE(engines.size(), 1);
        QCOMPARE(engines[0].toObject().value("Name").toString(), QStringLiteral("HULL 4471 / SN 20931"));
        QCOMPARE(engines[0].toObject().value("LastDownload").toInt(), 4);
        QCOMPARE(QString::number(engines[0].toObject().value("TotalHrs").toDouble(), 'f', 2), QStringLiteral("141.66"));
        const QJsonArray history = json(run({"engine", "show", "1", "--format", "json"})).object().value("History").toArray();
        QCOMPARE(history.size(), 4);
        QCOMPARE(history[3].toObject().value("KeptCopy").toInt(), 3);
        QVERIFY(history[3].toObject().value("CountedFromZero").toArray().contains(QStringLiteral("TotalHrs")));
        QCOMPARE(history[3].toObject().value("Note").toString(),
                 QStringLiteral("cleared: download 3 is the copy kept before the clearing"));

        // By name, in any case; a service interval, and a service at the first download.
        const CliRun set = run({"engine", "set", "hull 4471 / sn 20931", "--owner", "A. Sailor", "--service-interval", "100",
                                "--format", "json"});
        QCOMPARE(json(set).object().value("Service").toString(), QStringLiteral("overdue by 41.7 h"));
        const CliRun serviced = run({"engine", "serviced", "1", "--download", "1", "--format", "json"});
        QCOMPARE(json(serviced).object().value("Service").toString(), QStringLiteral("due in 100.0 h"));
        const CliRun elsewhere = run({"engine", "serviced", "1", "--download", "9"});
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
        QFile saved(image);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString hash = QString::fromLatin1(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256).toHex());
        for (const QString &expected :
             {QStringLiteral("Harbour Marine Engines"), QStringLiteral("Port Ellen"), QStringLiteral("Telephone: 01496 300 123"),
              QStringLiteral("J. Smith"), QStringLiteral("4471-7"), QStringLiteral("HULL 4471 / SN 20931 (engine 1)"),
              QStringLiteral("A. Sailor"), QStringLiteral("Total Hours: 141.66"), QStringLiteral("Seconds at RPM Limit: 124.45"),
              QStringLiteral("Service Status: due in 100.0 h"), QStringLiteral("Engine Rebuild Flag: not set"), hash})
            QVERIFY2(paper.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + paper));

        // The hash finds the download again, and the two of the same bytes: the write's own
        // read and the copy kept before the clearing.
        QStringList ids;
        for (const QJsonValue &found : json(run({"logbook", "verify", hash.toUpper(), "--format", "json"})).array())
            ids << QString::number(found.toObject().value("Id").toInt());
        QCOMPARE(ids, (QStringList{"1", "2", "3"}));
        const CliRun none = run({"logbook", "verify", QString(64, QLatin1Char('0'))});
        QVERIFY2(none.exitCode == 1 && none.out.isEmpty() && none.err.contains(QLatin1String("no download")),
                 qPrintable(none.err));

        // The rebuilt engine's read-back goes to a new engine, and the next download follows
        // it; a new text then makes a third (and the break-in limit goes, as the
        // configuration lets it).
        QCOMPARE(json(run({"engine", "assign", "4", "new", "--format", "json"})).object().value("Engine").toInt(), 2);
        const CliRun renamed = run({"write-user-data", "HULL 12", "--break-in", "off", "--format", "json"});
        QCOMPARE(json(renamed).object().value("BreakInLimit"), QJsonValue(false));
        QStringList last;
        for (const QJsonValue &engine : json(run({"engine", "export", "--format", "json"})).array())
            last << QString::number(engine.toObject().value("LastDownload").toInt());
        QCOMPARE(last, (QStringList{"3", "5", "6"}));

        // Downloads of two engines, as far as the logbook can tell, are compared only when
        // asked; a clearing between two is named, never subtracted.
        const CliRun refused = run({"logbook", "diff", "6", "1"});
        QVERIFY2(refused.exitCode == 1 && refused.err.contains(QLatin1String("different engines"))
                     && refused.err.contains(QLatin1String("--any-engines")),
                 qPrintable(refused.err));
        const QJsonObject diff = json(run({"logbook", "diff", "6", "1", "--any-engines", "--format", "json"})).object();
        QCOMPARE(diff.value("From").toInt() * 10 + diff.value("To").toInt(), 16);  // the earlier first
        QVERIFY(!diff.value("SameEngine").toBool() && diff.value("KeptCopy").toInt() == 3);
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
