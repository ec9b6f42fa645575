#include "LinkTrace.h"

#include "files/OutputFile.h"

#include <QDateTime>

std::optional<QString> LinkTrace::start(const QString &path, const QString &program)
{
    stop();
    m_failure.reset();
    if (const auto why = OutputFile::refusal(path))
        return why;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return m_file.errorString();
    m_clock.start();
    const QByteArray heading = QStringLiteral("# %1 %2, byte trace begun %3; times in microseconds since this line\n")
                                   .arg(program, QStringLiteral(RUNLOG_VERSION),
                                        QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
                                   .toUtf8();
    if (!append(heading)) {
        const QString reason = *m_failure;
        m_failure.reset();
        return reason;
    }
    return std::nullopt;
}

void LinkTrace::stop()
{
    if (m_file.isOpen())
        m_file.close();
}

bool LinkTrace::append(const QByteArray &line)
{
    if (m_file.write(line) == line.size())
        return true;
    m_failure = QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString());
    m_file.close();
    return false;
}

void LinkTrace::event(const QString &text)
{
    if (!m_file.isOpen())
        return;
    append(QByteArray::number(m_clock.nsecsElapsed() / 1000).rightJustified(10) + "  " + text.toUtf8() + '\n');
}

QString LinkTrace::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}
