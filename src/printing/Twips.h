#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>

// Layouts are designed in twips (1/1440 inch) and placed with the screen's logical DPI.
namespace Twips {
constexpr int PerInch = 1440;

inline int toPixels(int twips, int dpi) { return int(std::lround(double(twips) * dpi / PerInch)); }

inline QRect rect(const QWidget *w, int left, int top, int width, int height)
{
    const int dx = w->logicalDpiX();
    const int dy = w->logicalDpiY();
    return {toPixels(left, dx), toPixels(top, dy), toPixels(width, dx), toPixels(height, dy)};
}

inline void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(rect(w, left, top, width, height));
}

// A caption as a classic label shows it: "&&" is one ampersand, a single "&" marks the
// access key and is not shown.
inline QString shownCaption(const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&'))
                shown += caption[++i];
            continue;
        }
        shown += caption[i];
    }
    return shown;
}
}  // namespace Twips
