#include "reports/ReportLayout.h"
#include "support/ReportSample.h"
#include "stats/ModuleStatistics.h"

#include <QLocale>
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
        QTest::newRow("everything, both flags")
            << sampleRecord(3, true) << ReportContext{"Korvane", "SN 12", time, true, {}, {}}
            << SampleHeader + SampleSummary + QStringList{"", ""} + SampleRpmTable + SampleTempSection;
        QTest::newRow("no comment, no status display, no flags")
            << sampleRecord(0, true) << ReportContext{"Korvane", "", time, false, {}, {}}
            << QStringList{"         Korvane Ignition Module Data",
                           "         Downloaded:         6/15/2009 3:04:05 PM",
                           "         Firmware ID:        RL-7.02",
                           "         User Data:          HULL 4471",
                           "",
                           "         Summary Data",
                           "         Total Hours:             1141.66",
                           "         Engine Starts:           1234",
                           "",
                           "         Maximum Engine RPM:      6687",
                           "         Seconds at RPM Limit:    124.45",
                           "",
                           ""} + SampleRpmTable;
        QStringList blankTable = SampleRpmTable;
        for (qsizetype i = 3; i < blankTable.size(); ++i)
            blankTable[i] = blankTable[i].left(20).trimmed().prepend(QString(9, QLatin1Char(' ')));
        QTest::newRow("nothing read: every value blank")
            << sampleRecord(0, false) << ReportContext{"Korvane", "", time, true, {}, {}}
            << QStringList{"         Korvane Ignition Module Data",
                           "         Downloaded:         6/15/2009 3:04:05 PM",
                           "         Firmware ID:",
                           "         User Data:",
                           "",
                           "         Module Status: not read",
                           "",
                           "         Summary Data",
                           "         Total Hours:",
                           "         Engine Starts:",
                           "",
                           "         Maximum Engine RPM:",
                           "         Seconds at RPM Limit:",
                           "",
                           ""} + blankTable;
        QTest::newRow("a kept copy says where from and why")
            << sampleRecord(0, true) << ReportContext{"Korvane", "", time, false, "/dev/ttyUSB0", "before Erase RPM Limit Data"}
            << QStringList{"         Korvane Ignition Module Data",
                           "         Downloaded:         6/15/2009 3:04:05 PM",
                           "         Port:               /dev/ttyUSB0",
                           "         Kept:               copy of the counters before Erase RPM Limit Data",
                           "         Firmware ID:        RL-7.02",
                           "         User Data:          HULL 4471",
                           "",
                           "         Summary Data",
                           "         Total Hours:             1141.66",
                           "         Engine Starts:           1234",
                           "",
                           "         Maximum Engine RPM:      6687",
                           "         Seconds at RPM Limit:    124.45",
                           "",
                           ""} + SampleRpmTable;
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
