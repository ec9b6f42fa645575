#pragma once

#include "ModuleStatistics.h"
#include "StatisticsDecoder.h"

#include <QByteArray>
#include <QDateTime>

#include <optional>

// One download as the module gave it: the raw blocks and bytes, where and when they came
// from. Everything shown, printed or kept is decoded from these, and only here, so that
// a download kept in the logbook reads back exactly as it was read.
struct Download {
    QDateTime takenAt;
    QString port;
    QString firmwareID;
    bool moduleEchoes = false;
    StatisticsDecoder::StatisticsImage statistics{};
    std::optional<StatisticsDecoder::TemperatureImage> temperatures;  // read only when recorded
    QByteArray userData;                                               // the 32 bytes as read
    std::optional<quint8> status;                                      // read only with the status display
    QString reason;  // empty for a download; for a copy kept before a clearing, what was cleared
    // What the read meant to get and did not: nothing, for a complete download. Only
    // complete downloads are kept.
    ModuleParts unread;

    bool complete() const { return !unread; }
    // The record the download decodes to, as Read Statistics decodes it.
    ModuleStatistics decode() const;
    // The user data as Read Statistics keeps it: the printable bytes only.
    static QString userText(const QByteArray &bytes);
};
