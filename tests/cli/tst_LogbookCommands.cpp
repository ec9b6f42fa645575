#include "support/CliRun.h"
#include "support/Golden.h"
#include "support/ModsimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
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

        // A kept download shows as it was read; what ran between two is their difference.
        const QJsonObject first = json(CliRun::run(common + QStringList{"logbook", "show", "1", "--format", "json"})).object();
        QCOMPARE(first, json(read).object());
        const QJsonObject last = json(CliRun::run(common + QStringList{"logbook", "show", "4", "--format", "json"})).object();
        const QJsonObject diff = json(CliRun::run(common + QStringList{"logbook", "diff", "1", "4", "--format", "json"})).object();
        QCOMPARE(float(diff.value("TotalHrs").toDouble()),
                 float(last.value("TotalHrs").toDouble()) - float(first.value("TotalHrs").toDouble()));
        QCOMPARE(diff.value("EngStarts").toInt(), last.value("EngStarts").toInt() - first.value("EngStarts").toInt());

        const QStringList exported =
            CliRun::run(common + QStringList{"logbook", "export", "--format", "csv"}).out.trimmed().split('\n');
        QCOMPARE(exported.size(), 5);  // a header with the record's 32 columns, and the four
        QVERIFY(exported.first().startsWith(QLatin1String("FirmwareID,UserData,RPMBandHours0,")) && exported.first().count(',') == 31);

        // The image read saved decodes offline to the same record, less the ID it does not hold.
        QJsonObject decoded = json(CliRun::run({"decode", image, "--format", "json"})).object();
        QJsonObject expected = json(read).object();
        expected.remove("FirmwareID");
        decoded.remove("FirmwareID");
        QCOMPARE(decoded, expected);

        QCOMPARE(CliRun::run(common + QStringList{"logbook", "print", "3", "--pdf", dir.filePath("kept.pdf")}).exitCode, 0);

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
