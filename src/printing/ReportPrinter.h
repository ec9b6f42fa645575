#pragma once

#include "reports/ReportLayout.h"
#include "link/Failure.h"

#include <QFont>
#include <QPainter>
#include <QPointF>

#include <functional>

class QPrinter;
class StepRunner;

// The printer as the reports use it: a font, a current vertical position in twips, lines
// of text at tab columns (each column as wide as the font's average character), and
// documents that begin with the first thing printed and end with endDoc(). Every call is
// one step of the Abort/Retry/Ignore contract: a printer that is missing or refuses the
// job fails the step with a description of its own.
class ReportPrinter {
public:
    // Where every printout's first line begins, below the printable area's top, and the
    // size of its text.
    static constexpr int FirstLineTwips = 500;
    static constexpr double TextPoints = 12;

    ReportPrinter(QPrinter &printer, StepRunner &steps);
    ~ReportPrinter();  // a document left open (after Abort) is discarded

    void setFontName(const QString &family);
    void setFontSize(double points);
    // The page set-up value the layout is designed for: portrait, positions in twips.
    void setPortrait();
    void setCurrentY(int twips);
    int currentY() const { return int(m_currentYTwips); }
    // The next line goes to the top of a new page.
    void newPage();
    void print(const ReportLine &line);
    void print(const ReportLines &lines);
    // Lines that belong together (a table): on a new page when they would not fit on this one.
    void printTogether(const ReportLines &lines);
    // Draws into a rectangle of device pixels; the print position does not move.
    void draw(const QRect &deviceRect, const std::function<void(QPainter &, const QRect &)> &render);
    void endDoc();

    // Printer values, read without printing.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    QSizeF pageTwips() const;  // the printable area, where the layout's origin is

    static QString noPrinterText();
    // The first failure of a printout's steps, as a printing failure.
    static std::optional<Failure> printFailure(const StepRunner &steps);

private:
    StepResult begin();
    double toDeviceY(double twips) const;

    QPrinter &m_printer;
    StepRunner &m_steps;
    QPainter m_painter;
    QFont m_font;
    double m_currentYTwips = 0;
    int m_ended = 0;
    QString m_firstFileName;
};
