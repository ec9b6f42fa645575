#pragma once

#include <QString>

#include <optional>

// The port the window last chose, kept under Properties/CommPort; read and written here
// only. (Where each port number leads is PortNames' mapping.)
namespace PortSettings {

// The chosen port number as stored (1 when none was chosen yet); it may be out of range.
int chosenNumber();
// Keeps the choice; why it could not be kept, if it could not.
std::optional<QString> choose(int number);

}  // namespace PortSettings
