#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The rule every file Runlog writes follows (images, PDFs, the byte trace, the
// simulator's image, the logbook, the settings): a path that exists must be a regular
// file, or a link to one. A FIFO would block the program for ever, a device would be
// written to or replaced, a folder makes no sense; each is refused before anything opens
// it or creates a file beside it.
namespace OutputFile {

// Why path may not be written, naming it; nothing when it may.
std::optional<QString> refusal(const QString &path);

// Writes the whole file at once: into a temporary file beside it, renamed over it only
// when every byte is on the disk, so that a full disk leaves the old file as it was.
// Returns why it could not, naming the path and the system's reason.
std::optional<QString> write(const QString &path, const QByteArray &bytes);

// The file of the n-th document of a printout (counted from 0): the first at path, the
// others beside it with "-2", "-3"... before the extension.
QString numbered(const QString &path, int index);

}  // namespace OutputFile
