#include "support/CliRun.h"
#include "support/Golden.h"
#include "support/ModsimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// runlog-cli's logbook commands over a real file, fed by downloads from runlog-modsim.
class tst_LogbookCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logbookOverARealFile()
    {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("logbook.sqlite"));
        const QString image = dir.filePath(QStringLiteral("module.bin"));
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(writeFile(config, "B\r\nArial\r\n9\r\nbold\r\nNULL\r\n!\r\nMaker\r\n!\r\nStatus_Display_True\r\n!\r\n"));
        const auto json = [](const CliRun &r) { return QJsonDocument::fromJson(r.out.toUtf8()); };
        ModsimProcess sim({QStringLiteral("--demo")});
        const QStringList common{"--port", sim.device(), "--config", config, "--logbook", book};

        const CliRun read = CliRun::run(common + QStringList{"read", "--format", "json", "--save-image", image});
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(CliRun::run(common + QStringList{"write-user-data", "NEW", "--engine-rebuild", "--yes"}).exitCode, 0);

        // The download, the write's own read, the copy kept before the clearing, and the
        // read-back; newest first.
        const QJsonArray listed = json(CliRun::run(common + QStringList{"logbook", "list", "--format", "json"})).array();
        QCOMPARE(listed.size(), 4);
        QCOMPARE(listed[1].toObject().value("Reason").toString(), QStringLiteral("before the engine-rebuild clearing"));
        QCOMPARE(listed[1].toObject().value("TotalHrs").toDouble(), listed[2].toObject().value("TotalHrs").toDouble());
        QCOMPARE(listed[0].toObject().value("TotalHrs").toDouble(), 0.0);

        // A kept download shows as it was read.
        const QJsonObject first = json(CliRun::run(common + QStringList{"logbook", "show", "1", "--format", "json"})).object();
        QCOMPARE(first, json(read).object());

        // Across the rebuild the text changed too: two engines, as far as the logbook can
        // tell, compared only when asked; and then the clearing is named, never subtracted.
        const CliRun refusedDiff = CliRun::run(common + QStringList{"logbook", "diff", "4", "1"});
        QVERIFY2(refusedDiff.exitCode == 1 && refusedDiff.err.contains(QLatin1String("different engines"))
                     && refusedDiff.err.contains(QLatin1String("--any-engines")),
                 qPrintable(refusedDiff.err));
        const QJsonObject diff = json(CliRun::run(common + QStringList{"logbook", "diff", "4", "1", "--any-engines",
                                                                       "--format", "json"})).object();
        QCOMPARE(diff.value("From").toInt() * 10 + diff.value("To").toInt(), 14);  // the earlier first
        QVERIFY(diff.value("ClearedBetween").toBool() && !diff.value("SameEngine").toBool());
        QCOMPARE(diff.value("KeptCopy").toInt(), 3);
        QVERIFY(diff.value("Cleared").toArray().contains(QStringLiteral("TotalHrs")));
        QVERIFY(diff.value("TotalHrs").toDouble() == 0 && diff.value("EngStarts").toInt() == 0);
        const CliRun text = CliRun::run(common + QStringList{"logbook", "diff", "1", "4", "--any-engines"});
        QVERIFY2(text.out.contains(QLatin1String("Cleared between these downloads; download 3 is the copy kept before "
                                                 "the clearing."))
                     && text.out.contains(QRegularExpression(QStringLiteral("Total Hours: +cleared\n"))),
                 qPrintable(text.out));

        const QStringList exported =
            CliRun::run(common + QStringList{"logbook", "export", "--format", "csv"}).out.trimmed().split('\n');
        QCOMPARE(exported.size(), 5);  // a header, its four columns of the kept and the record's 32, and the four
        QVERIFY(exported.first().startsWith(QLatin1String("Id,TakenAt,Port,Reason,FirmwareID,UserData,RPMBandHours0,"))
                && exported.first().count(',') == 35);
        QVERIFY(exported[3].contains(QLatin1String(",before the engine-rebuild clearing,")));

        // The image read saved decodes offline to the same record, less the ID it does not hold.
        QJsonObject decoded = json(CliRun::run({"decode", image, "--format", "json"})).object();
        QJsonObject expected = json(read).object();
        expected.remove("FirmwareID");
        decoded.remove("FirmwareID");
        QCOMPARE(decoded, expected);

        // On paper a kept copy says where it came from and why it was kept.
        QCOMPARE(CliRun::run(common + QStringList{"logbook", "print", "3", "--pdf", dir.filePath("kept.pdf")}).exitCode, 0);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), dir.filePath("kept.pdf"), QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString paper = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        QVERIFY2(paper.contains(QStringLiteral("Port: ") + sim.device())
                     && paper.contains(QLatin1String("Kept: copy of the counters before the engine-rebuild clearing")),
                 qPrintable(paper));

        // A file that is not a logbook: named, never written, and the read itself still completes.
        const QString notes = dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(notes, "mine\n"));
        const CliRun refused = CliRun::run({"--port", sim.device(), "--logbook", notes, "read"});
        QCOMPARE(refused.exitCode, 0);
        QVERIFY2(refused.err.contains(notes + QStringLiteral(" is not a logbook")), qPrintable(refused.err));
        QCOMPARE(QFileInfo(notes).size(), 5);
    }
};

QTEST_GUILESS_MAIN(tst_LogbookCommands)
#include "tst_LogbookCommands.moc"
