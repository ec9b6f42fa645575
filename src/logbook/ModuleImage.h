#pragma once

#include "stats/Download.h"

#include <QByteArray>

// A download as a 256-byte EEPROM image, each block at its address in the module's
// layout and every address not read 0xFF: the file runlog-modsim --image serves, and
// runlog-cli decode reads back.
namespace ModuleImage {
constexpr int Size = 256;
constexpr char Unread = char(0xFF);
QByteArray fromDownload(const Download &download);
// The SHA-256 of the download's image, as bytes: what anyone can check a report against,
// with the image read --save-image writes.
QByteArray sha256(const Download &download);
// The download an image holds, for a module of the given kind; nothing when it is not an image.
std::optional<Download> toDownload(const QByteArray &image, bool moduleEchoes);
}  // namespace ModuleImage
