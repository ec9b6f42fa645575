#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The one place that creates a pseudo-terminal: the master side is ours, the slave
// device is what a serial program opens. The slave is kept open here as well, so that a
// client closing and reopening the port between exchanges does not hang up the line.
class Pty : public QObject {
    Q_OBJECT
public:
    explicit Pty(QObject *parent = nullptr);
    ~Pty() override;

    bool open(QString *error);
    void close();
    QString devicePath() const { return m_path; }
    bool write(const QByteArray &bytes);

Q_SIGNALS:
    void received(const QByteArray &bytes);

private:
    void readAvailable();

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier *m_notifier = nullptr;
};
