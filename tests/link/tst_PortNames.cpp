#include "link/PortNames.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class tst_PortNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deviceFor_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("device");
        QTest::newRow("Com255") << 255 << QString() << "/dev/ttyS254";
        QTest::newRow("mapped adapter") << 3 << "/dev/ttyUSB0" << "/dev/ttyUSB0";
    }

    void deviceFor()
    {
        QFETCH(int, number);
        QFETCH(QString, stored);
        QFETCH(QString, device);
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("runlog.ini")), QSettings::IniFormat);
        if (!stored.isEmpty())
            settings.setValue(QStringLiteral("Ports/Com%1").arg(number), stored);
        settings.setValue(QStringLiteral("Ports/Com%1").arg(number + 1), QStringLiteral("/dev/other"));
        QCOMPARE(PortNames::deviceFor(number, settings), device);
    }

    // Adapters get numbers from Com3 up, past one already taken, kept by their stable
    // names; the computer's own ports keep Com1 and Com2 without a mapping.
    void detectedDevicesAreNumbered()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("runlog.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Ports/Com3"), QStringLiteral("/dev/ttyElsewhere"));
        const QList<SerialDevice> devices{{QStringLiteral("/dev/ttyS0"), {}, {}, {}, {}, {}},
                                          {QStringLiteral("/dev/ttyS1"), {}, {}, {}, {}, {}},
                                          {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/serial/by-id/usb-A"), {}, {}, {}, {}},
                                          {QStringLiteral("/dev/ttyUSB1"), {}, {}, {}, {}, {}}};
        QCOMPARE(PortNames::mapDetected(settings, devices), (QList<int>{4, 5}));
        QCOMPARE(PortNames::mapDetected(settings, devices), QList<int>{});
        QCOMPARE(settings.allKeys(), (QStringList{"Ports/Com3", "Ports/Com4", "Ports/Com5"}));
        QCOMPARE(settings.value(QStringLiteral("Ports/Com4")).toString(), QStringLiteral("/dev/serial/by-id/usb-A"));
    }

    void parsePortNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("lower case") << "com12" << 12;
        QTest::newRow("zero") << "Com0" << 0;
        QTest::newRow("too high") << "256" << 0;
        QTest::newRow("junk after") << "Com3x" << 0;
    }

    void parsePortNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(PortNames::parsePortNumber(text), number);
    }
};

QTEST_GUILESS_MAIN(tst_PortNames)
#include "tst_PortNames.moc"
