#include "logbook/Accumulation.h"
#include "logbook/ServiceStatus.h"
#include "stats/NumberFormat.h"

#include <QLocale>
#include <QTest>

namespace {
using namespace MemoryMap;
using Counter = Accumulation::Counter;

// A download whose counters are all zero but one, the total time at 65000 counts unless
// it is the one (the WOT time is never above it), recording WOT and temperatures. The RPM
// band is the fourth, the temperature band the third.
Download reading(Counter counter, int counts, int msecs)
{
    Download d;
    d.takenAt = QDateTime::fromMSecsSinceEpoch(1765000000000 + msecs, Qt::UTC);
    d.temperatures = StatisticsDecoder::TemperatureImage{};
    d.statistics[DataFlagsOffset] = RecordsWot | RecordsTemperatures;
    d.statistics[TotalTimeOffset] = 65000 & 0xFF;
    d.statistics[TotalTimeOffset + 1] = 65000 >> 8;
    quint8 *block = counter == Counter::TempBandTime ? d.temperatures->data() : d.statistics.data();
    const int offset = counter == Counter::RpmBandTime    ? 2 * 3
                       : counter == Counter::TempBandTime ? 2 * 2
                       : counter == Counter::TotalTime    ? TotalTimeOffset
                       : counter == Counter::WotTime      ? WotTimeOffset
                       : counter == Counter::LimitTime    ? LimitTimeOffset
                       : counter == Counter::MaxRpm       ? MaxRpmOffset
                                                          : EngineStartsOffset;
    block[offset] = quint8(counts & 0xFF);
    block[offset + 1] = counter == Counter::MaxRpm ? 0 : quint8(counts >> 8);  // a byte of its own
    return d;
}

// The figure a counter gives, as the window shows it.
QString figure(const Accumulation &a, Counter counter)
{
    const auto shown = [](float v) { return NumberFormat::fixed(v, 2, QLatin1Char('.')); };
    switch (counter) {
    case Counter::RpmBandTime: return shown(a.RPMBandHours[3]);
    case Counter::TempBandTime: return shown(a.TempBandHours[2]);
    case Counter::TotalTime: return shown(a.TotalHrs);
    case Counter::WotTime: return shown(a.WOTTotalHrs);
    case Counter::LimitTime: return shown(a.LimitSecs);
    case Counter::MaxRpm: return NumberFormat::fixed(a.MaxRPM, 0, QLatin1Char('.')) + (a.MaxRPMReached ? " reached" : "");
    case Counter::EngineStarts: return QString::number(a.EngStarts);
    }
    return {};
}
}  // namespace

// What ran between two downloads, from their counters: the module's arithmetic on the
// counts that ran, and a counter that went down named rather than subtracted.
class tst_Accumulation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void figuresComeFromTheCounters_data()
    {
        QTest::addColumn<Counter>("counter");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("wentDown");
        QTest::addColumn<QString>("carried");  // carried on: a counter that went down counted from zero
        // The first three differ by 0.01 h from the difference of the two readings as shown.
        QTest::newRow("total, 698 counts") << Counter::TotalTime << 63889 << 64587 << "6.50" << false << "6.50";
        QTest::newRow("RPM band") << Counter::RpmBandTime << 16532 << 63501 << "437.72" << false << "437.72";
        QTest::newRow("temperature band") << Counter::TempBandTime << 5621 << 29741 << "224.79" << false << "224.79";
        QTest::newRow("WOT, the later above the total") << Counter::WotTime << 64000 << 65500 << "9.32" << false << "9.32";
        QTest::newRow("seconds at the RPM limit") << Counter::LimitTime << 1000 << 1700 << "91.70" << false << "91.70";
        QTest::newRow("engine starts") << Counter::EngineStarts << 1234 << 1240 << "6" << false << "6";
        QTest::newRow("maximum RPM, reached between") << Counter::MaxRpm << 200 << 208 << "6500 reached" << false
                                                      << "6500 reached";
        QTest::newRow("maximum RPM, not passed") << Counter::MaxRpm << 208 << 208 << "6500" << false << "6500";
        // Went down: cleared, erased or another module, and no figure; carried on, what
        // the counter holds ran since it restarted.
        QTest::newRow("total cleared") << Counter::TotalTime << 63889 << 12 << "0.00" << true << "0.11";
        QTest::newRow("limit time erased") << Counter::LimitTime << 1000 << 50 << "0.00" << true << "6.55";
        QTest::newRow("maximum RPM erased") << Counter::MaxRpm << 208 << 100 << "0" << true << "3125 reached";
    }

    void figuresComeFromTheCounters()
    {
        QFETCH(Counter, counter);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, shown);
        QFETCH(bool, wentDown);
        QFETCH(QString, carried);
        const Download earlier = reading(counter, before, 0), later = reading(counter, after, 1);
        // Whichever is passed first, the earlier in time is the earlier.
        for (const bool inOrder : {true, false}) {
            const Download &one = inOrder ? earlier : later, &other = inOrder ? later : earlier;
            const Accumulation a = Accumulation::between(one, other), on = Accumulation::carriedOn(one, other);
            QCOMPARE(figure(a, counter) + '|' + figure(on, counter), shown + '|' + carried);
            QCOMPARE(a.WentDown, wentDown ? Accumulation::Counters(counter) : Accumulation::Counters());
            QCOMPARE(on.WentDown, a.WentDown);
            QVERIFY(a.RecordsWot && a.RecordsTemperatures);
        }
    }

    // An engine's figures from its first reading on, span after span: counts added and
    // converted once, so that the sum is not a sum of rounded figures.
    void spansAddUpAsCounts()
    {
        // 1000 counts, then 400 more, then cleared and 100 since, then 301 more: 1801.
        Download first = reading(Counter::TotalTime, 1000, 0), second = reading(Counter::TotalTime, 1400, 1),
                 cleared = reading(Counter::TotalTime, 100, 2), last = reading(Counter::TotalTime, 401, 3);
        first.statistics[MaxRpmOffset] = 208;
        Accumulation lifetime = Accumulation::held(first);
        QCOMPARE(figure(lifetime, Counter::TotalTime) + '|' + figure(lifetime, Counter::MaxRpm), QStringLiteral("9.32|6500 reached"));
        for (const auto &[one, other] : {std::pair(&first, &second), std::pair(&second, &cleared), std::pair(&cleared, &last)})
            lifetime += Accumulation::carriedOn(*one, *other);
        // 1801 counts are 16.784 h; the four spans as shown (9.32, 3.73, 0.93, 2.81) add up to 16.79.
        QCOMPARE(figure(lifetime, Counter::TotalTime), QStringLiteral("16.78"));
        QCOMPARE(lifetime.counts.total, 1801);
        QCOMPARE(lifetime.WentDown, Accumulation::Counters(Counter::TotalTime | Counter::MaxRpm));
        // The highest RPM of any span, though the module forgot it.
        QCOMPARE(figure(lifetime, Counter::MaxRpm), QStringLiteral("6500"));
        // A span that does not record WOT, and one without temperatures, leave the sum
        // without them.
        Download plain = last;
        plain.statistics[DataFlagsOffset] = RecordsTemperatures;
        plain.statistics[WotTimeOffset] = 200;
        lifetime += Accumulation::carriedOn(last, plain);
        QVERIFY(!lifetime.RecordsWot && lifetime.RecordsTemperatures && lifetime.WOTTotalHrs == 0);
        plain.temperatures.reset();
        QVERIFY(!Accumulation::between(last, plain).RecordsTemperatures);
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

    // Due or overdue, to the tenth of an hour shown: the words never contradict the figure.
    void atTheEdges_data()
    {
        QTest::addColumn<double>("interval");  // 0: none
        QTest::addColumn<double>("since");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("toGo");  // -999: none
        QTest::newRow("just under") << 100.0 << 99.9 << "due in 0.1 h" << 0.1;
        QTest::newRow("under by less than a shown tenth") << 100.0 << 99.96 << "due now" << 0.0;
        QTest::newRow("exactly at the interval") << 100.0 << 100.0 << "due now" << 0.0;
        QTest::newRow("over by less than a shown tenth") << 100.0 << 100.04 << "due now" << 0.0;
        QTest::newRow("just over") << 100.0 << 100.1 << "overdue by 0.1 h" << -0.1;
        QTest::newRow("no interval") << 0.0 << 500.0 << "no service interval" << -999.0;
    }

    void atTheEdges()
    {
        QFETCH(double, interval);
        QFETCH(double, since);
        QFETCH(QString, text);
        QFETCH(double, toGo);
        const ServiceStatus s = ServiceStatus::of(interval > 0 ? std::optional(interval) : std::nullopt, since);
        QCOMPARE(s.text(), text);
        QCOMPARE(s.hoursToGo().value_or(-999), toGo);
    }

    void theHoursInTheUsersLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        const QString text = ServiceStatus::of(100.0, 87.6).text();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(text, QStringLiteral("due in 12,4 h"));
    }

};

QTEST_GUILESS_MAIN(tst_Accumulation)
#include "tst_Accumulation.moc"
