#include "logbook/Accumulation.h"
#include "stats/NumberFormat.h"

#include <QTest>

namespace {
using namespace MemoryMap;

// A download whose counters are all zero but one, the total-time counter at 65000 counts
// unless it is the one (the WOT time is never above it), recording WOT and temperatures.
Download reading(const QString &counter, int counts, int msecs)
{
    Download d;
    d.takenAt = QDateTime::fromMSecsSinceEpoch(1765000000000 + msecs, Qt::UTC);
    d.temperatures = StatisticsDecoder::TemperatureImage{};
    d.statistics[DataFlagsOffset] = RecordsWot | RecordsTemperatures;
    if (counter != QLatin1String("total")) {
        d.statistics[TotalTimeOffset] = 65000 & 0xFF;
        d.statistics[TotalTimeOffset + 1] = 65000 >> 8;
    }
    quint8 *block = d.statistics.data();
    int offset = TotalTimeOffset;
    if (counter == QLatin1String("band 3"))
        offset = 2 * 3;
    else if (counter == QLatin1String("wot"))
        offset = WotTimeOffset;
    else if (counter == QLatin1String("limit"))
        offset = LimitTimeOffset;
    else if (counter == QLatin1String("max rpm"))
        offset = MaxRpmOffset;
    else if (counter == QLatin1String("starts"))
        offset = EngineStartsOffset;
    else if (counter == QLatin1String("temperature band 2")) {
        block = d.temperatures->data();
        offset = 2 * 2;
    }
    block[offset] = quint8(counts & 0xFF);
    if (counter != QLatin1String("max rpm"))  // a byte of its own
        block[offset + 1] = quint8(counts >> 8);
    return d;
}

// The figure a counter gives, as the window shows it.
QString figure(const Accumulation &a, const QString &counter)
{
    const auto hours = [](float h) { return NumberFormat::fixed(h, 2, QLatin1Char('.')); };
    if (counter == QLatin1String("total"))
        return hours(a.TotalHrs);
    if (counter == QLatin1String("band 3"))
        return hours(a.RPMBandHours[3]);
    if (counter == QLatin1String("wot"))
        return hours(a.WOTTotalHrs);
    if (counter == QLatin1String("limit"))
        return NumberFormat::fixed(a.LimitSecs, 2, QLatin1Char('.'));
    if (counter == QLatin1String("max rpm"))
        return NumberFormat::fixed(a.MaxRPM, 0, QLatin1Char('.')) + (a.MaxRPMReached ? " reached" : "");
    if (counter == QLatin1String("starts"))
        return QString::number(a.EngStarts);
    return hours(a.TempBandHours[2]);
}
}  // namespace

// What ran between two downloads, from their counters: the module's arithmetic on the
// counts that ran, and a counter that went down named rather than subtracted.
class tst_Accumulation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void figuresComeFromTheCounters_data()
    {
        QTest::addColumn<QString>("counter");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("wentDown");
        // The first four differ by 0.01 h from the difference of the two readings as shown.
        QTest::newRow("total, 698 counts") << "total" << 63889 << 64587 << "6.50" << 0;
        QTest::newRow("total, 4533 counts") << "total" << 59162 << 63695 << "42.25" << 0;
        QTest::newRow("RPM band") << "band 3" << 16532 << 63501 << "437.72" << 0;
        QTest::newRow("temperature band") << "temperature band 2" << 5621 << 29741 << "224.79" << 0;
        QTest::newRow("WOT, the later above the total") << "wot" << 64000 << 65500 << "9.32" << 0;
        QTest::newRow("seconds at the RPM limit") << "limit" << 1000 << 1700 << "91.70" << 0;
        QTest::newRow("engine starts") << "starts" << 1234 << 1240 << "6" << 0;
        QTest::newRow("maximum RPM, reached between") << "max rpm" << 200 << 208 << "6500 reached" << 0;
        QTest::newRow("maximum RPM, not passed") << "max rpm" << 208 << 208 << "6500" << 0;
        // Went down: cleared, erased or another module, and no figure.
        QTest::newRow("total cleared") << "total" << 63889 << 12 << "0.00" << int(Accumulation::TotalTime);
        QTest::newRow("RPM band cleared") << "band 3" << 16532 << 0 << "0.00" << int(Accumulation::RpmBandTime);
        QTest::newRow("temperature band cleared") << "temperature band 2" << 5621 << 0 << "0.00"
                                                  << int(Accumulation::TempBandTime);
        QTest::newRow("WOT cleared") << "wot" << 640 << 0 << "0.00" << int(Accumulation::WotTime);
        QTest::newRow("limit time erased") << "limit" << 1000 << 0 << "0.00" << int(Accumulation::LimitTime);
        QTest::newRow("maximum RPM erased") << "max rpm" << 208 << 0 << "0" << int(Accumulation::MaxRpm);
        QTest::newRow("engine starts cleared") << "starts" << 1234 << 3 << "0" << int(Accumulation::EngineStarts);
    }

    void figuresComeFromTheCounters()
    {
        QFETCH(QString, counter);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, shown);
        QFETCH(int, wentDown);
        const Download earlier = reading(counter, before, 0), later = reading(counter, after, 1);
        // Whichever is passed first, the earlier in time is the earlier.
        for (const Accumulation &a : {Accumulation::between(earlier, later), Accumulation::between(later, earlier)}) {
            QCOMPARE(figure(a, counter), shown);
            QCOMPARE(int(a.WentDown), wentDown);
            QVERIFY(a.RecordsWot && a.RecordsTemperatures);
        }
    }

    void aCounterNotRecordedGivesNoFigure()
    {
        Download earlier = reading(QStringLiteral("wot"), 100, 0), later = reading(QStringLiteral("wot"), 200, 1);
        earlier.temperatures.reset();
        later.statistics[DataFlagsOffset] = RecordsTemperatures;
        const Accumulation a = Accumulation::between(earlier, later);
        QVERIFY(!a.RecordsWot && !a.RecordsTemperatures);
        QCOMPARE(a.WOTTotalHrs, 0.0f);
    }

    void sameEngine_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QByteArray>("userData");
        QTest::addColumn<bool>("same");
        QTest::newRow("the same") << "RL-7.02 IGN E" << QByteArray("HULL 7") << true;
        QTest::newRow("blanks and unprintable bytes aside") << "RL-7.02 IGN E " << QByteArray("  HULL 7\x07\xff") << true;
        QTest::newRow("other user data") << "RL-7.02 IGN E" << QByteArray("HULL 8") << false;
        QTest::newRow("other firmware") << "RL-7.03 IGN E" << QByteArray("HULL 7") << false;
    }

    void sameEngine()
    {
        QFETCH(QString, firmware);
        QFETCH(QByteArray, userData);
        QFETCH(bool, same);
        Download one, other;
        one.firmwareID = QStringLiteral("RL-7.02 IGN E");
        one.userData = QByteArray("HULL 7").leftJustified(32, ' ');
        other.firmwareID = firmware;
        other.userData = userData;
        QCOMPARE(Accumulation::sameEngine(one, other), same);
        QCOMPARE(Accumulation::sameEngine(other, one), same);
    }
};

QTEST_GUILESS_MAIN(tst_Accumulation)
#include "tst_Accumulation.moc"
