#pragma once

#include "link/LinkTrace.h"
#include "stats/Features.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class LinkTiming;
class Logbook;
class ModuleLink;
class ModuleOperations;
class ModuleSimulator;
class Prompt;
class SerialPort;
class TracingPrompt;
class TracingSerialPort;
class TracingTiming;

// A session with the module, put together in one place for the window and for
// runlog-cli: the port (a device the settings or the caller name, or the built-in
// simulated module), the byte trace around the port, the clock and the prompt, the
// link, the operations, and the logbook they keep downloads in. The front ends only
// present what its operations return.
class ModuleSession : public QObject {
    Q_OBJECT
public:
    enum class Simulated { No, Echoing, Plain };

    // Over the devices the settings map each port number to, or the simulated module.
    explicit ModuleSession(Prompt &prompt, Simulated simulated = Simulated::No, QObject *parent = nullptr);
    // Over a port and a clock the caller owns.
    ModuleSession(SerialPort &port, LinkTiming &timing, Prompt &prompt, QObject *parent = nullptr);
    ~ModuleSession() override;

    // From now on every port number leads to this device (a path given on a command line,
    // or the one a search found).
    void useDevice(const QString &path) { m_device = path; }

    void setFeatures(const Features &features) { m_features = features; }
    const Features &features() const { return m_features; }
    Simulated simulated() const { return m_simulated; }
    ModuleLink &link() { return *m_link; }
    ModuleOperations &operations() { return *m_operations; }
    // What the operations ask through: the caller's prompt, with every box in the trace.
    Prompt &prompt();
    LinkTrace &trace() { return m_trace; }

    // The logbook complete downloads and the copies before clearings go into. Why it
    // cannot be used, if it cannot: then nothing is kept, and nothing is cleared either.
    std::optional<QString> openLogbook(const QString &path, bool readOnly = false);
    Logbook &logbook() { return *m_logbook; }
    const std::optional<QString> &logbookUnusable() const { return m_logbookUnusable; }
    void setKeeping(bool on);
    bool keeping() const;
    // The user's logbook, or for the simulated module one of its own, so that
    // demonstration downloads never stand among real engines.
    QString defaultLogbookPath() const;

private:
    void assemble(SerialPort &port, LinkTiming &timing, Prompt &prompt);

    Simulated m_simulated = Simulated::No;
    QString m_device;
    Features m_features;
    LinkTrace m_trace;
    std::unique_ptr<ModuleSimulator> m_module;
    std::unique_ptr<SerialPort> m_ownPort;
    std::unique_ptr<LinkTiming> m_ownTiming;
    std::unique_ptr<TracingSerialPort> m_tracedPort;
    std::unique_ptr<TracingTiming> m_tracedTiming;
    std::unique_ptr<TracingPrompt> m_tracedPrompt;
    std::unique_ptr<ModuleLink> m_link;
    std::unique_ptr<ModuleOperations> m_operations;
    std::unique_ptr<Logbook> m_logbook;
    std::optional<QString> m_logbookUnusable;
};
