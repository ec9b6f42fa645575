#include "link/LoopbackCheck.h"
#include "support/FakeSystem.h"
#include "support/PtyPeer.h"

#include <QTest>

// The cable test on pseudo-terminals whose far end plays a bridged, a broken and a
// faulty cable.
class tst_LoopbackCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loopback_data()
    {
        QTest::addColumn<int>("returned");  // how many bytes the far end gives back, -1 for each one inverted
        QTest::addColumn<QString>("why");   // empty: passed
        QTest::newRow("bridged") << int(LoopbackCheck::Pattern.size()) << QString();
        QTest::newRow("open") << 0 << QStringLiteral("Nothing came back");
        QTest::newRow("dropping bytes") << 4 << QStringLiteral("Only 4 of the 6 bytes sent came back");
        QTest::newRow("garbling bytes") << -1 << QStringLiteral("Other bytes came back");
    }
    void loopback()
    {
        QFETCH(int, returned);
        QFETCH(QString, why);
        int given = 0;
        PtyPeer farEnd([&given, returned](quint8 byte) {
            if (returned < 0)
                return QByteArray(1, char(~byte));
            return given++ < returned ? QByteArray(1, char(byte)) : QByteArray();
        });
        FakeSystem system;

        const LoopbackCheck::Result result = LoopbackCheck::run(farEnd.device(), system.folders);
        QCOMPARE(result.passed, why.isEmpty());
        QVERIFY2(result.why.startsWith(why), qPrintable(result.why));
        QCOMPARE(farEnd.finish(), result.sent);
        QCOMPARE(result.sent.size(), qsizetype(LoopbackCheck::Pattern.size()));
        if (why.isEmpty())
            QCOMPARE(result.received, result.sent);
    }
};

QTEST_GUILESS_MAIN(tst_LoopbackCheck)
#include "tst_LoopbackCheck.moc"
