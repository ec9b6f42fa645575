#include "logbook/ServiceStatus.h"

#include <QLocale>
#include <QTest>

// Due or overdue, to the tenth of an hour shown: the words never contradict the figure.
class tst_ServiceStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void atTheEdges_data()
    {
        QTest::addColumn<double>("interval");  // 0: none
        QTest::addColumn<double>("since");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("toGo");  // -999: none
        QTest::newRow("well before") << 100.0 << 87.6 << "due in 12.4 h" << 12.4;
        QTest::newRow("just under") << 100.0 << 99.9 << "due in 0.1 h" << 0.1;
        QTest::newRow("under by less than a shown tenth") << 100.0 << 99.96 << "due now" << 0.0;
        QTest::newRow("exactly at the interval") << 100.0 << 100.0 << "due now" << 0.0;
        QTest::newRow("over by less than a shown tenth") << 100.0 << 100.04 << "due now" << 0.0;
        QTest::newRow("just over") << 100.0 << 100.1 << "overdue by 0.1 h" << -0.1;
        QTest::newRow("well over") << 100.0 << 103.1 << "overdue by 3.1 h" << -3.1;
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

QTEST_GUILESS_MAIN(tst_ServiceStatus)
#include "tst_ServiceStatus.moc"
