#include "LinkTrace.h"

#include <QDateTime>

#include <optional>

std::optional<QString> LinkTrace::start(const QString &path, const QString &program)
{
    stop();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return m_file.errorString();
    m_clock.start();
    const QByteArray heading = QStringLiteral("# %1 %2, byte trace begun %3; times in microseconds since this line\n")
                                   .arg(program, QStringLiteral(RUNLOG_VERSION),
                                        QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
                                   .toUtf8();
    if (m_file.write(heading) != heading.size()) {
        const QString reason = m_file.errorString();
        m_file.close();
        return reason;
    }
    return std::nullopt;
}

void LinkTrace::stop()
{
    if (m_file.isOpen())
        m_file.close();
}

void LinkTrace::event(const QString &text)
{
    if (!m_file.isOpen())
        return;
    m_file.write(QByteArray::number(m_clock.nsecsElapsed() / 1000).rightJustified(10) + "  " + text.toUtf8() + '\n');
}

QString LinkTrace::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}
