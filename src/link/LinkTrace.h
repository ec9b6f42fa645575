#pragma once

#include <QElapsedTimer>
#include <QFile>

#include <optional>

class QByteArray;

// The byte trace a user sends when a module misbehaves: one line per port event, with a
// monotonic time in microseconds since the trace began. Appends to its file, so that a
// session adds to what is there, and writes each line as it happens, so that a crash
// loses nothing. A line the file does not take (a full disk) stops the trace, and the
// reason is kept for the program to report.
class LinkTrace {
public:
    // Starts appending to path, with a heading line naming the program and the date.
    // Returns the reason when the file cannot be written.
    std::optional<QString> start(const QString &path, const QString &program);
    void stop();
    bool isOn() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    // Why the trace stopped short of what happened, if it did.
    const std::optional<QString> &failure() const { return m_failure; }

    void event(const QString &text);
    static QString hex(const QByteArray &bytes);

private:
    bool append(const QByteArray &line);

    QFile m_file;
    QElapsedTimer m_clock;
    std::optional<QString> m_failure;
};
