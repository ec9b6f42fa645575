#pragma once

#include <QString>
#include <QStringList>

// Who runs Runlog, as far as opening a device goes: the login name (for the advice to
// add it to a group), the user number and the groups this process has now (a group
// added since the login counts only from the next one).
struct UserAccount {
    QString name;
    uint uid = 0;
    QStringList groups;

    static UserAccount current();
};
