#pragma once

#include <QByteArray>
#include <QString>

// The one place that creates a pseudo-terminal: the master side is ours, the slave
// device is what a serial program opens. The slave is kept open here as well, so that a
// client closing and reopening the port between exchanges does not hang up the line.
class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool open(QString *error);
    void close();
    QString devicePath() const { return m_path; }
    int masterFd() const { return m_master; }
    bool write(const QByteArray &bytes);
    // Reads what has arrived, without blocking; empty when nothing has.
    QByteArray read();
    // Whether bytes written still wait for the serial program to read them, including
    // those the kernel has not yet passed on to it.
    bool unread() const;

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
