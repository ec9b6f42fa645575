#include "WriteProgress.h"

#include <algorithm>

void WriteProgress::start(const QList<std::pair<QString, int>> &parts)
{
    m_parts.clear();
    for (const auto &[name, size] : parts)
        m_parts.append({name, size, 0});
    m_current = 0;
    m_stopped = false;
    m_uncertain = false;
}

bool WriteProgress::check(bool linkOK)
{
    m_stopped = m_stopped || !linkOK;
    return !m_stopped;
}

void WriteProgress::written(int bytes)
{
    while (bytes > 0 && m_current < m_parts.size()) {
        Part &part = m_parts[m_current];
        const int taken = qMin(bytes, part.size - part.written);
        part.written += taken;
        bytes -= taken;
        if (part.written == part.size)
            ++m_current;
    }
}

bool WriteProgress::nothingWritten() const
{
    return !m_uncertain && std::all_of(m_parts.begin(), m_parts.end(), [](const Part &p) { return p.written == 0; });
}

QStringList WriteProgress::outcome() const
{
    QStringList done, partly, perhaps, missing;
    for (qsizetype i = 0; i < m_parts.size(); ++i) {
        const Part &p = m_parts[i];
        const bool uncertain = m_uncertain && i == m_current;
        if (p.written == p.size)
            done << p.name;
        else if (uncertain && p.size == 1)
            perhaps << p.name;
        else if (uncertain)
            partly << QStringLiteral("%1 (%2 or %3 of %4 bytes)").arg(p.name).arg(p.written).arg(p.written + 1).arg(p.size);
        else if (p.written > 0)
            partly << QStringLiteral("%1 (%2 of %3 bytes)").arg(p.name).arg(p.written).arg(p.size);
        else
            missing << p.name;
    }
    const QString comma = QStringLiteral(", ");
    QStringList lines{QStringLiteral("Written: %1.").arg(done.isEmpty() ? QStringLiteral("nothing") : done.join(comma))};
    if (!partly.isEmpty())
        lines << QStringLiteral("Partly written: %1.").arg(partly.join(comma));
    if (!perhaps.isEmpty())
        lines << QStringLiteral("May not have been written (its acknowledgement was lost): %1.").arg(perhaps.join(comma));
    if (!missing.isEmpty())
        lines << QStringLiteral("Not written: %1.").arg(missing.join(comma));
    return lines;
}

QString WriteProgress::summary() const
{
    return QStringLiteral("The write stopped at a step that did not complete, so nothing more was sent to the "
                          "module.\n\n")
           + outcome().join(QLatin1Char('\n')) + QStringLiteral("\n\nCheck the cable and the port, then write again.");
}
