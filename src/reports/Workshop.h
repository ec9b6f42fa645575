#pragma once

#include <QString>

class QSettings;

// The workshop whose letterhead a service report carries, kept in the "Workshop" group of
// the settings the window and runlog-cli share: its name, address (lines), telephone, and
// the path of an optional logo image.
struct Workshop {
    QString name;
    QString address;
    QString phone;
    QString logo;

    static constexpr char Group[] = "Workshop";

    static Workshop fromSettings(QSettings &settings);
    void save(QSettings &settings) const;
    bool isEmpty() const { return name.isEmpty() && address.isEmpty() && phone.isEmpty() && logo.isEmpty(); }
};
