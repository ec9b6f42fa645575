#pragma once

#include <QProcess>

// runlog-modsim on a real pseudo-terminal of its own, for tests that go through QSerialPort.
// It prints its device once the device is ready, so reading that line is the wait.
class ModsimProcess {
public:
    explicit ModsimProcess(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(RUNLOG_MODSIM_PATH), arguments);
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~ModsimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    QString device() const { return m_device; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_device;
};
