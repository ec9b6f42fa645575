#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The module stores text one byte per character in the Windows-1252 code page; the
// configuration file is written in it too. Qt offers no codec for it, so it is here.
namespace Windows1252 {
QString decode(const QByteArray &bytes);
// Nothing when a character has no byte in the code page.
std::optional<QByteArray> encode(const QString &text);
// The first character of text that has no byte, if any.
std::optional<QChar> firstUnencodable(const QString &text);
}  // namespace Windows1252
