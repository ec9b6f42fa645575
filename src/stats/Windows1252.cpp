#include "Windows1252.h"

namespace Windows1252 {

namespace {
// 0x80..0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr char16_t High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<char> byteFor(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (int i = 0; i < 32; ++i)
        if (High[i] == u && u != 0)
            return char(0x80 + i);
    return std::nullopt;
}
}  // namespace

QString decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        const quint8 u = quint8(b);
        if (u >= 0x80 && u < 0xA0 && High[u - 0x80] != 0)
            text += QChar(High[u - 0x80]);
        else
            text += QChar(u);  // undefined bytes map to the C1 control of the same value
    }
    return text;
}

std::optional<QByteArray> encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const auto b = byteFor(c);
        if (!b)
            return std::nullopt;
        bytes += *b;
    }
    return bytes;
}

std::optional<QChar> firstUnencodable(const QString &text)
{
    for (QChar c : text)
        if (!byteFor(c))
            return c;
    return std::nullopt;
}

}  // namespace Windows1252
