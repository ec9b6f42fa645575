#include "CsvStyle.h"

#include "stats/NumberFormat.h"

#include <QLocale>

CsvStyle CsvStyle::forLocale(const QLocale &locale)
{
    CsvStyle style;
    style.decimal = locale.decimalPoint().front();
    // A comma in every number leaves the comma no use as the separator.
    style.separator = style.decimal == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
    style.units = true;
    return style;
}

QString CsvStyle::number(float value) const
{
    QString text = NumberFormat::shortest(value);
    if (decimal != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), decimal);
    return text;
}

QString CsvStyle::field(const QString &text) const
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')) && text.trimmed() == text)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString CsvStyle::column(const QString &name, const QString &unit) const
{
    return units && !unit.isEmpty() ? QStringLiteral("%1 (%2)").arg(name, unit) : name;
}

QString CsvStyle::line(const QStringList &fields) const
{
    return fields.join(separator) + QLatin1Char('\n');
}
