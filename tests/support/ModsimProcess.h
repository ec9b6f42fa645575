#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

// runlog-modsim on a real pseudo-terminal, for tests that go through QSerialPort.
class ModsimProcess {
public:
    explicit ModsimProcess(const QStringList &arguments)
    {
        m_process.setProgram(QStringLiteral(RUNLOG_MODSIM_PATH));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~ModsimProcess() { stop(); }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    QString device() const { return m_device; }
    bool running() const { return m_process.state() == QProcess::Running; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_device;
};
