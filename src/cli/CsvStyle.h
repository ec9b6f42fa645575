#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

class QLocale;

// How a CSV output is written: by default for programs (a comma between fields, a point
// in numbers, plain column names); with --csv-locale for the user's spreadsheet, in the
// locale's way: where the decimal mark is a comma, fields are parted by a semicolon, and
// every column name carries its unit.
struct CsvStyle {
    QChar separator = QLatin1Char(',');
    QChar decimal = QLatin1Char('.');
    bool units = false;

    static CsvStyle forLocale(const QLocale &locale);

    // The shortest text that reads back as the same 32-bit float, with the decimal mark.
    QString number(float value) const;
    // A text as a field: quoted when it holds the separator, a quote, a line break or outer blanks.
    QString field(const QString &text) const;
    // A column's name, with its unit when the style shows units: "TotalHrs (h)".
    QString column(const QString &name, const QString &unit = {}) const;
    // Fields already written, as one line.
    QString line(const QStringList &fields) const;
};
