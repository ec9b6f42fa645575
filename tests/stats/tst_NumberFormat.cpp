#include "stats/NumberFormat.h"

#include <QLocale>
#include <QTest>

class tst_NumberFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

QTEST_GUILESS_MAIN(tst_NumberFormat)
#include "tst_NumberFormat.moc"
