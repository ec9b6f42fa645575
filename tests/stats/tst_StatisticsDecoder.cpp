#include "stats/ModuleStatistics.h"
#include "stats/NumberFormat.h"
#include "stats/StatisticsDecoder.h"

#include <QLocale>
#include <QTest>

#include <bit>

namespace Decode = StatisticsDecoder;

class tst_StatisticsDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void total_data()
    {
        QTest::addColumn<QList<int>>("bands");   // counts for bands 0..
        QTest::addColumn<int>("counter");        // the total-time counter
        QTest::addColumn<quint32>("totalBits");  // the total, to its last bit
        // The counter is the total unless the bands add up to more or its high byte is 255;
        // the last image gives another total if the bands are summed in double.
        QTest::newRow("counter above the sum") << QList<int>{100, 200} << 0x1000 << 0x4218b095u;
        QTest::newRow("counter below the sum") << QList<int>{1000, 2000} << 0x0010 << 0x41dfaaabu;
        QTest::newRow("high byte 255") << QList<int>{1, 2} << 0xFF34 << 0x3ce508e0u;
        QTest::newRow("float sum") << QList<int>{57333, 57923, 1851, 40111, 6765, 37659, 15226, 23441, 5968, 35385, 34419, 39913, 4067}
                                     << 0xFF00 << 0x4551b917u;
    }

    void total()
    {
        QFETCH(QList<int>, bands);
        QFETCH(int, counter);
        QFETCH(quint32, totalBits);
        Decode::StatisticsImage block{};
        for (int k = 0; k < bands.size(); ++k) {
            block[size_t(2 * k)] = quint8(bands[k] & 0xFF);
            block[size_t(2 * k + 1)] = quint8(bands[k] >> 8);
        }
        block[26] = quint8(counter & 0xFF);
        block[27] = quint8(counter >> 8);
        const float total = Decode::totalHrs(block, Decode::bandSum(Decode::rpmBandHours(block)));
        QCOMPARE(std::bit_cast<quint32>(total), totalBits);
    }

    // Each 16-bit count of the block, low byte first, as it is shown.
    void counters_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<QString>("shown");
        QTest::newRow("band hours 256") << 0 << 0x00 << 0x01 << "2.39";
        QTest::newRow("band hours 65535") << 0 << 0xFF << 0xFF << "610.75";
        QTest::newRow("limit 65535") << 28 << 0xFF << 0xFF << "8585.08";
        QTest::newRow("max RPM 255") << 30 << 255 << 0 << "7968";
        QTest::newRow("max RPM 1") << 30 << 1 << 0 << "31";
        QTest::newRow("starts 258") << 32 << 0x02 << 0x01 << "258";
    }

    void counters()
    {
        QFETCH(int, offset);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QString, shown);
        Decode::StatisticsImage block{};
        block[size_t(offset)] = quint8(low);
        block[size_t(offset + 1)] = quint8(high);
        const float value = offset == 0    ? Decode::rpmBandHours(block)[0]
                            : offset == 28 ? Decode::limitSecs(block)
                            : offset == 30 ? float(Decode::maxRPM(block))
                                           : float(Decode::engStarts(block));
        QCOMPARE(NumberFormat::fixed(value, offset == 0 || offset == 28 ? 2 : 0, QLatin1Char('.')), shown);
    }

    void fixed_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0f << 2 << "0.00";
        QTest::newRow("all integer digits") << 1234.567f << 2 << "1234.57";
        QTest::newRow("exact half goes up") << 0.125f << 2 << "0.13";
        // 2.675 is stored just below: the float's exact value rounds down
        QTest::newRow("below half") << 2.675f << 2 << "2.67";
        QTest::newRow("carry into the decimals") << 0.19999f << 2 << "0.20";
        QTest::newRow("carry across the point") << 99.996f << 2 << "100.00";
        QTest::newRow("negative half") << -0.5f << 0 << "-1";
    }

    void fixed()
    {
        QFETCH(float, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(NumberFormat::fixed(value, decimals, QLatin1Char('.')), text);
    }

    void usesTheLocaleSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(NumberFormat::hours(1234.5f), QStringLiteral("1234,50"));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(NumberFormat::hours(1234.5f), QStringLiteral("1234.50"));
    }
};

QTEST_GUILESS_MAIN(tst_StatisticsDecoder)
#include "tst_StatisticsDecoder.moc"
