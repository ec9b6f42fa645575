#include "reports/ReportLayout.h"
#include "stats/Download.h"
#include "support/ReportSample.h"
#include "stats/ModuleStatistics.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(ModuleStatistics)
Q_DECLARE_METATYPE(ReportContext)

namespace {
// The report as a terminal shows it, each line without the blanks after its last text.
QStringList rendered(const ReportLines &lines)
{
    QStringList out = renderReportText(lines).split(QLatin1Char('\n'));
    out.removeLast();
    for (QString &line : out)
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
    return out;
}
}  // namespace

class tst_ReportLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<ModuleStatistics>("stats");
        QTest::addColumn<ReportContext>("context");
        QTest::addColumn<QStringList>("expected");

        const QString time = QStringLiteral("6/15/2009 3:04:05 PM");
        const QString title = QStringLiteral("         Korvane Ignition Module Data");
        const QString downloaded = QStringLiteral("         Downloaded:         ") + time;
        // Without a comment, the status display or flags: the ID, the user data, and the
        // summary without WOT.
        const QStringList plain{"         Firmware ID:        RL-7.02",
                                "         User Data:          HULL 4471",
                                "",
                                "         Summary Data",
                                "         Total Hours:             1141.66",
                                "         Engine Starts:           1234",
                                "",
                                "         Maximum Engine RPM:      6687",
                                "         Seconds at RPM Limit:    124.45",
                                "",
                                ""};
        QTest::newRow("everything, both flags")
            << sampleRecord(3, true) << ReportContext{"Korvane", "SN 12", time, true, {}, {}}
            << SampleHeader + SampleSummary + QStringList{"", ""} + SampleRpmTable + SampleTempSection;
        QTest::newRow("no comment, no status display, no flags")
            << sampleRecord(0, true) << ReportContext{"Korvane", "", time, false, {}, {}}
            << QStringList{title, downloaded} + plain + SampleRpmTable;
        QStringList blank = plain;
        blank.replaceInStrings(QRegularExpression(QStringLiteral(":  +\\S.*")), QStringLiteral(":"));
        blank.insert(3, QStringLiteral("         Module Status: not read"));
        blank.insert(4, QString());
        QStringList blankTable = SampleRpmTable;
        for (qsizetype i = 3; i < blankTable.size(); ++i)
            blankTable[i] = blankTable[i].left(20).trimmed().prepend(QString(9, QLatin1Char(' ')));
        QTest::newRow("nothing read: every value blank")
            << sampleRecord(0, false) << ReportContext{"Korvane", "", time, true, {}, {}}
            << QStringList{title, downloaded} + blank + blankTable;
        // A kept download: its own time, where it came from and why it was kept.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Download kept;
        kept.takenAt = QDateTime(QDate(2009, 6, 15), QTime(15, 4, 5));
        kept.port = QStringLiteral("/dev/ttyUSB0");
        kept.reason = QStringLiteral("before Erase RPM Limit Data");
        const ReportContext keptContext = ReportContext::kept(kept, QStringLiteral("Korvane"), QString(), false);
        QLocale::setDefault(QLocale::c());
        QTest::newRow("a kept copy says when, where from and why")
            << sampleRecord(0, true) << keptContext
            << QStringList{title, downloaded, "         Port:               /dev/ttyUSB0",
                           "         Kept:               copy of the counters before Erase RPM Limit Data"}
                   + plain + SampleRpmTable;
    }

    void lines()
    {
        QFETCH(ModuleStatistics, stats);
        QFETCH(ReportContext, context);
        QFETCH(QStringList, expected);
        QCOMPARE(rendered(StatisticsReport::lines(stats, context)), expected);
    }

    void timestamp_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("US English") << QLocale(QLocale::English, QLocale::UnitedStates) << "6/15/2009 3:04:05 PM";
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "15.06.2009 15:04:05";
    }

    void timestamp()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        const QDateTime when(QDate(2009, 6, 15), QTime(15, 4, 5), Qt::UTC);
        QCOMPARE(StatisticsReport::timestamp(when, locale), text);
    }
};

QTEST_GUILESS_MAIN(tst_ReportLayout)
#include "tst_ReportLayout.moc"
