#include "reports/ReportLayout.h"
#include "stats/ModuleStatistics.h"

#include <QLocale>
#include <QTest>

namespace {
// The first text of each line, for following the table's order.
QStringList labels(const ReportLines &lines)
{
    QStringList out;
    for (const ReportLine &l : lines)
        out << (l.items.isEmpty() ? QString() : l.items.first().text);
    return out;
}
}  // namespace

class tst_ReportLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<bool>("statusDisplay");
        QTest::addColumn<int>("dataFlags");
        QTest::addColumn<bool>("breakIn");
        QTest::addColumn<bool>("rebuild");

        // Each condition leaves its lines out.
        QTest::newRow("bare") << "" << false << 0 << false << false;
        QTest::newRow("status, rebuild only") << "" << true << 0 << false << true;
        QTest::newRow("temperatures") << "" << false << 2 << false << false;
        QTest::newRow("everything") << "x" << true << 3 << true << false;
    }

    void lines()
    {
        QFETCH(QString, comment);
        QFETCH(bool, statusDisplay);
        QFETCH(int, dataFlags);
        QFETCH(bool, breakIn);
        QFETCH(bool, rebuild);

        ModuleStatistics s;
        s.parts = ModulePart::FirmwareId | ModulePart::UserData | ModulePart::Statistics | ModulePart::Temperatures
                  | ModulePart::Status;
        s.DataFlags = qint16(dataFlags);
        s.BreakInLimit = breakIn;
        s.EngineRebuild = rebuild;
        const ReportContext context{QStringLiteral("Korvane"), comment, QStringLiteral("6/15/2009 3:04:05 PM"),
                                    statusDisplay, {}, {}};
        const ReportLines lines = StatisticsReport::lines(s, context);

        QStringList expected{"Korvane Ignition Module Data", "Downloaded:"};
        if (!comment.isEmpty())
            expected << "Serial/Comment:";
        expected << "Firmware ID:" << "User Data:" << "";
        if (statusDisplay) {
            QString status = breakIn ? "Module Status: Break-in RPM Limit Enabled"
                                     : "Module Status: Break-in RPM Limit Disabled";
            if (rebuild)
                status += " & Engine Rebuild Flag Set";
            expected << status << "";
        }
        expected << "Summary Data" << "Total Hours:";
        if (dataFlags & 1)
            expected << "Total Hours at WOT:";
        expected << "Engine Starts:" << "" << "Maximum Engine RPM:" << "Seconds at RPM Limit:" << "" << ""
                 << "Elapsed Time in RPM Bands" << "" << "RPM Band" << StatisticsReport::rpmBandLabels();
        if (dataFlags & 2)
            expected << "" << "" << "Elapsed Time in Temperature Bands" << "" << "Temp Band"
                     << StatisticsReport::tempBandLabels();
        QCOMPARE(labels(lines), expected);
        for (const ReportLine &l : lines)
            if (!l.items.isEmpty())
                QCOMPARE(l.items.first().column, 10);
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
