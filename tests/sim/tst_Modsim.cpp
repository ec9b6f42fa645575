#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
// A 56000-baud line carries ten bits a byte; the module's line may hand over a packet of
// eight bytes at once.
constexpr double LineBytesPerSecond = 5600;
constexpr int Packet = 8;
constexpr char ReadFirmwareId = 0x10;

// The serial program's side of a pseudo-terminal, raw, as a serial library opens it.
class RawDevice {
public:
    explicit RawDevice(const QString &path) : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY))
    {
        termios tio{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~RawDevice()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool send(char byte) { return ::write(m_fd, &byte, 1) == 1; }
    // Waits until something can be read, then reads what there is in one go.
    QByteArray readWaiting(int timeoutMs)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return {};
        char buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
    }

private:
    int m_fd;
};
}  // namespace

// runlog-modsim as a tool: what it refuses, and what it never touches.
class tst_Modsim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");  // NOTES stands for a file of the user's
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("link over a file") << QStringList{"--link", "NOTES"} << 2 << "left alone";
        QTest::newRow("save where it cannot") << QStringList{"--save", "/nonexistent/m.bin"} << 1
                                              << "cannot write the image: /nonexistent/m.bin";
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString notes = dir.filePath(QStringLiteral("notes.txt"));
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine\n") == 5);
        file.close();
        args.replaceInStrings(QStringLiteral("NOTES"), notes);

        QProcess p;
        p.start(QStringLiteral(RUNLOG_MODSIM_PATH), args);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());  // no device was offered
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(says), qPrintable(err));
        if (exitCode == 2)
            QVERIFY(err.contains(QLatin1String("Usage: ")));
        QVERIFY(QFileInfo(notes).isFile() && !QFileInfo(notes).isSymLink());
    }

    // An endless ID comes no faster than the line carries it. A serial program that stops
    // reading for a while (a loaded machine does that to it) finds one packet waiting, not
    // a pile that overflows its buffer: the line waits for it. (Too fast a stream piles up too.)
    void endlessIdKeepsToTheLine()
    {
        constexpr int StallMs = 300;
        QProcess sim;
        sim.start(QStringLiteral(RUNLOG_MODSIM_PATH), {QStringLiteral("--fault"), QStringLiteral("id-endless")});
        QVERIFY(sim.waitForReadyRead(5000));
        RawDevice device(QString::fromLocal8Bit(sim.readLine()).trimmed());
        QVERIFY(device.isOpen());

        QElapsedTimer clock;
        clock.start();
        QVERIFY(device.send(ReadFirmwareId));
        QThread::msleep(StallMs);  // the stall is the case under test
        const QByteArray waiting = device.readWaiting(5000);
        QVERIFY2(!waiting.isEmpty() && waiting.size() <= Packet, qPrintable(QString::number(waiting.size())));
        qint64 received = waiting.size();
        while (received < 20 * Packet || clock.elapsed() < StallMs + 500) {
            const QByteArray bytes = device.readWaiting(5000);
            QVERIFY(!bytes.isEmpty());  // it never ends
            received += bytes.size();
        }
        const double carried = Packet + LineBytesPerSecond * double(clock.nsecsElapsed()) / 1e9;
        QVERIFY2(received <= carried, qPrintable(QStringLiteral("%1 bytes, the line carries %2").arg(received).arg(carried)));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }

    // The in-process port behind --demo keeps to the same pace: its replies come with the
    // write, and its stream no faster than the line.
    void simulatedPortKeepsToTheLine()
    {
        ModuleSimulator module;
        module.faults().endlessId = true;
        SimulatedPort port(module);
        QVERIFY(!port.open());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!port.write(QByteArray(1, ReadFirmwareId)));
        const int reply = port.bytesWaiting();
        QCOMPARE(reply, 1 + int(module.firmwareId().size()));
        qint64 received = 0;
        for (quint8 byte = 0; received < reply + 20 * Packet || clock.elapsed() < 300;) {
            if (!port.bytesWaiting())
                port.waitForData(100);
            QCoreApplication::processEvents();
            while (!port.take(byte))
                ++received;
        }
        const double carried = reply + Packet + LineBytesPerSecond * double(clock.nsecsElapsed()) / 1e9;
        QVERIFY2(received <= carried, qPrintable(QStringLiteral("%1 bytes, the line carries %2").arg(received).arg(carried)));
    }
};

QTEST_GUILESS_MAIN(tst_Modsim)
#include "tst_Modsim.moc"
