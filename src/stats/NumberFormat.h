#pragma once

#include <QString>

// The display formats, the same on screen and on paper. Each prints at least one integer
// digit and all of them, no grouping, a fixed number of decimals rounded half away from
// zero on the exact value of the float, and the decimal separator of the user's locale.
namespace NumberFormat {

QString fixed(double value, int decimals);          // with the locale's separator
QString fixed(double value, int decimals, QChar separator);

inline QString hours(float v) { return fixed(v, 2); }         // "##0.00"
inline QString limitSeconds(float v) { return fixed(v, 2); }  // "###0.00"
inline QString rpm(float v) { return fixed(v, 0); }           // "###0"
inline QString starts(qint32 v) { return fixed(v, 0); }       // "####0"

// The shortest decimal text that reads back as the same 32-bit float (for JSON and CSV).
QString shortest(float value);

}  // namespace NumberFormat
