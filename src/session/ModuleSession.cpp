#include "ModuleSession.h"

#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "link/PortNames.h"
#include "link/TracingPrompt.h"
#include "link/TracingSerialPort.h"
#include "link/TracingTiming.h"
#include "logbook/Logbook.h"
#include "sim/DemoImage.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/ModuleOperations.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

ModuleSession::ModuleSession(Prompt &prompt, Simulated simulated, QObject *parent)
    : QObject(parent), m_simulated(simulated), m_logbook(std::make_unique<Logbook>())
{
    if (simulated != Simulated::No) {
        const bool echoes = simulated == Simulated::Echoing;
        m_module = std::make_unique<ModuleSimulator>(echoes, DemoImage::firmwareId(echoes));
        m_module->setEeprom(DemoImage::make(echoes));
        m_ownPort = std::make_unique<SimulatedPort>(*m_module);
    } else {
        m_ownPort = std::make_unique<DeviceSerialPort>([this](int number) {
            return m_device.isEmpty() ? PortNames::deviceFor(number, QSettings()) : m_device;
        });
    }
    m_ownTiming = std::make_unique<EventLoopTiming>();
    assemble(*m_ownPort, *m_ownTiming, prompt);
}

ModuleSession::ModuleSession(SerialPort &port, LinkTiming &timing, Prompt &prompt, QObject *parent)
    : QObject(parent), m_logbook(std::make_unique<Logbook>())
{
    assemble(port, timing, prompt);
}

ModuleSession::~ModuleSession()
{
    m_link->closePort();
}

void ModuleSession::assemble(SerialPort &port, LinkTiming &timing, Prompt &prompt)
{
    m_tracedPort = std::make_unique<TracingSerialPort>(port, m_trace);
    m_tracedTiming = std::make_unique<TracingTiming>(timing, m_trace);
    m_tracedPrompt = std::make_unique<TracingPrompt>(prompt, m_trace);
    m_link = std::make_unique<ModuleLink>(*m_tracedPort, *m_tracedTiming, *m_tracedPrompt);
    m_operations = std::make_unique<ModuleOperations>(*m_link, *m_tracedPrompt, m_features);
}

Prompt &ModuleSession::prompt()
{
    return *m_tracedPrompt;
}

std::optional<QString> ModuleSession::openLogbook(const QString &path, bool readOnly)
{
    m_logbookUnusable = m_logbook->open(path, readOnly ? Logbook::Mode::ReadOnly : Logbook::Mode::ReadWrite);
    return m_logbookUnusable;
}

void ModuleSession::setKeeping(bool on)
{
    if (!on) {
        m_operations->setKeeper({});
        return;
    }
    m_operations->setKeeper([this](const Download &d) -> std::optional<QString> {
        if (m_logbookUnusable)
            return m_logbookUnusable;
        return m_logbook->save(d);
    });
}

bool ModuleSession::keeping() const
{
    return m_operations->keeping();
}

QString ModuleSession::defaultLogbookPath() const
{
    if (m_simulated == Simulated::No)
        return Logbook::defaultPath();
    return QFileInfo(Logbook::defaultPath()).dir().filePath(QStringLiteral("demo-logbook.sqlite"));
}
