#pragma once

#include <QString>

// The two texts the link reads from the module. They are program-wide values with a
// single copy, held by the program's statistics record and filled in place by the link,
// so that a read that fails can never bring back an earlier module's text.
struct ModuleTexts {
    QString FirmwareID;
    QString UserData;
};
