#include "TraceController.h"

#include "link/LinkTrace.h"
#include "link/Prompt.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>

TraceController::TraceController(QWidget &window, QAction &trace, LinkTrace &linkTrace, Prompt &prompt)
    : QObject(&window), m_window(window), m_action(trace), m_trace(linkTrace), m_prompt(prompt)
{
    connect(&trace, &QAction::triggered, this, &TraceController::mnuTrace_Click);
}

void TraceController::load()
{
    if (const QString trace = QSettings().value(QLatin1String(Setting)).toString(); !trace.isEmpty())
        startTrace(trace);
}

void TraceController::checkWrites()
{
    if (!m_trace.failure() || !m_action.isChecked())
        return;
    m_action.setChecked(false);
    m_prompt.message(QStringLiteral("The byte trace stopped: %1. It is switched off.").arg(*m_trace.failure()), QString(),
                     Box::OkOnly | Box::Exclamation);
}

void TraceController::startTrace(const QString &path)
{
    if (const auto why = m_trace.start(path, QStringLiteral("runlog"))) {
        m_prompt.message(QStringLiteral("The byte trace cannot be written to %1: %2").arg(path, *why), QString(),
                         Box::OkOnly | Box::Exclamation);
        QSettings().remove(QLatin1String(Setting));
    } else {
        QSettings().setValue(QLatin1String(Setting), path);
    }
    m_action.setChecked(m_trace.isOn());
}

void TraceController::mnuTrace_Click(bool on)
{
    if (!on) {
        m_trace.stop();
        QSettings().remove(QLatin1String(Setting));
        return;
    }
    const QString last = QSettings().value(QLatin1String(Setting)).toString();
    const QString offered = last.isEmpty() ? QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                                 .filePath(QStringLiteral("runlog-trace.txt"))
                                           : last;
    const QString path = m_choose ? m_choose(offered)
                                  : QFileDialog::getSaveFileName(&m_window, QStringLiteral("Byte Trace"), offered,
                                                                 QStringLiteral("Text files (*.txt)"), nullptr,
                                                                 QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        m_action.setChecked(false);
        return;
    }
    startTrace(path);
}
