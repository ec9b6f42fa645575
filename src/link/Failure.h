#pragma once

#include <QString>

#include <optional>

// Why something did not complete: the description the failing part gave (what a box
// shows), and its kind, from which a caller without a window says what to do about it.
struct Failure {
    enum class Kind {
        Other,
        Timeout,               // the module did not answer in time
        NoDevice,              // the port leads to no device
        NoPermission,          // the device may not be opened
        Busy,                  // another program holds the device
        LineError,             // framing, overrun, parity, overflow
        UnexpectedTerminator,  // the firmware ID began with its terminator
        NoFirmwareId,          // no usable firmware ID came back
        NotAcknowledged,       // the module did not acknowledge an address or a byte
        Refused,               // the request cannot be written (nothing was sent)
        KeepFailed,            // the logbook could not keep a download
        PrintFailed,           // the printer or the PDF file refused the printout
        OutputFailed,          // a file could not be written
    };

    QString description;
    Kind kind = Kind::Other;
};

// The outcome of one step: empty when it succeeded.
using StepResult = std::optional<Failure>;

inline StepResult succeeded() { return std::nullopt; }
inline StepResult failed(const QString &description) { return Failure{description}; }
inline StepResult failed(Failure::Kind kind, const QString &description) { return Failure{description, kind}; }
