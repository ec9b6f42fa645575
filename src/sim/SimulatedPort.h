#pragma once

#include "LinePace.h"
#include "link/SerialPort.h"

#include <QElapsedTimer>
#include <QTimer>


class ModuleSimulator;

// An in-process port with a simulated module on the other end of the line. Replies
// arrive at once; an endless ID comes at the line's pace; a module that hangs up makes the
// port vanish as an unplugged adapter does.
class SimulatedPort : public SerialPort {
    Q_OBJECT
public:
    explicit SimulatedPort(ModuleSimulator &module, QObject *parent = nullptr);

    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    QString deviceName() const override { return QStringLiteral("simulated module on Com%1").arg(m_number); }
    void applySettings() override { ++m_settingsApplied; }

    StepResult open() override;
    void close() override;
    bool isOpen() const override { return m_open; }

    int bytesWaiting() override { return int(m_received.size()); }
    QByteArray pending() const override { return m_received; }
    StepResult flush() override;
    StepResult write(const QByteArray &bytes) override;
    StepResult take(quint8 &byte) override;
    bool waitForData(int msecs) override;

    // Ports that exist; any other number fails to open as a missing device does. Empty: all.
    void setAvailablePorts(const QList<int> &ports) { m_available = ports; }
    // Delivers bytes as if the line had carried them (noise, late replies).
    void inject(const QByteArray &bytes);
    void raiseLineError(int commEvent) { Q_EMIT lineError(commEvent); }

    int openCount() const { return m_openCount; }
    int settingsApplied() const { return m_settingsApplied; }
Q_SIGNALS:
    // Every port action, for pacing checks ("open", "flush", "write 14", ...).
    void actionTaken(const QString &action);

public:
private:
    void note(const QString &event);
    // Injects what of a streaming ID the line has carried since the last call.
    bool stream();
    static constexpr int StreamPacket = 8;
    static constexpr int StreamIntervalMs = 1;

    ModuleSimulator &m_module;
    QByteArray m_received;
    QList<int> m_available;
    QTimer m_stream;
    QElapsedTimer m_clock;
    LinePace m_pace{StreamPacket};
    int m_number = 1;
    bool m_open = false;
    int m_openCount = 0;
    int m_settingsApplied = 0;
};
