#include "NumberFormat.h"

#include <QLocale>

#include <charconv>

namespace NumberFormat {

QString fixed(double value, int decimals)
{
    return fixed(value, decimals, QLocale().decimalPoint().front());
}

QString fixed(double value, int decimals, QChar separator)
{
    // A float's exact decimal expansion has at most 149 fractional digits: print all of
    // them, then round the digit string itself, so no binary rounding can creep in.
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value < 0 ? -value : value,
                                      std::chars_format::fixed, 160);
    std::string digits(buffer, result.ptr);
    const size_t point = digits.find('.');
    std::string integer = digits.substr(0, point);
    std::string fraction = digits.substr(point + 1);

    std::string kept = integer + fraction.substr(0, size_t(decimals));
    if (fraction[size_t(decimals)] >= '5') {
        int i = int(kept.size()) - 1;
        for (; i >= 0 && kept[size_t(i)] == '9'; --i)
            kept[size_t(i)] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[size_t(i)];
    }
    const size_t integerDigits = kept.size() - size_t(decimals);
    QString text = QString::fromLatin1(kept.substr(0, integerDigits));
    if (decimals > 0)
        text += separator + QString::fromLatin1(kept.substr(integerDigits));
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !zero)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString shortest(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

}  // namespace NumberFormat
