#pragma once

#include "ScriptedPrompt.h"
#include "VirtualTiming.h"
#include "link/ModuleLink.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"

// A module link wired to an in-process simulated module on a virtual clock, with every
// port action and pause in one trace.
struct LinkRig {
    explicit LinkRig(bool echoes = true, const QByteArray &id = "AB12")
        : module(echoes, id), port(module), timing(&trace), link(port, timing, prompt)
    {
        QObject::connect(&port, &SimulatedPort::actionTaken, [this](const QString &event) { trace.append(event); });
    }

    QStringList trace;
    ModuleSimulator module;
    SimulatedPort port;
    ScriptedPrompt prompt;
    VirtualTiming timing;
    ModuleLink link;
};
