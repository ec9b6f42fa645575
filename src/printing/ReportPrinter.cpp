#include "ReportPrinter.h"

#include "link/StepRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
constexpr double TwipsPerInch = 1440.0;
}

ReportPrinter::ReportPrinter(QPrinter &printer, StepRunner &steps)
    : m_printer(printer), m_steps(steps), m_font(QStringLiteral("Arial")), m_firstFileName(printer.outputFileName())
{
    m_font.setPointSizeF(12);
}

ReportPrinter::~ReportPrinter()
{
    if (m_painter.isActive()) {
        const QString file = m_printer.outputFileName();
        m_printer.abort();
        m_painter.end();
        if (!file.isEmpty())
            QFile::remove(file);
    }
    m_printer.setOutputFileName(m_firstFileName);
}

QString ReportPrinter::noPrinterText()
{
    return QStringLiteral("No printer is installed. Install a printer, or choose printing to a PDF file in "
                          "Print Setup.");
}

QString ReportPrinter::documentFileName(const QString &first, int index)
{
    if (index == 0 || first.isEmpty())
        return first;
    const QFileInfo info(first);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-') + QString::number(index + 1)
           + suffix;
}

StepResult ReportPrinter::begin()
{
    if (m_painter.isActive())
        return succeeded();
    // With no printer at all Qt falls back to a PDF printer without a file, which then
    // fails to begin without a reason: say what is wrong instead.
    if (m_printer.outputFormat() == QPrinter::PdfFormat && m_printer.outputFileName().isEmpty())
        return failed(noPrinterText());
    if (m_printer.outputFormat() == QPrinter::NativeFormat && !m_printer.isValid())
        return failed(noPrinterText());
    // The first document goes where the printer points now (the user may have chosen a
    // file since this printout began); later ones beside it.
    if (m_ended == 0)
        m_firstFileName = m_printer.outputFileName();
    m_printer.setOutputFileName(documentFileName(m_firstFileName, m_ended));
    if (!m_painter.begin(&m_printer))
        return failed(QStringLiteral("The printer %1 did not accept the document.")
                          .arg(m_printer.outputFileName().isEmpty() ? m_printer.printerName()
                                                                    : m_printer.outputFileName()));
    return succeeded();
}

double ReportPrinter::toDeviceY(double twips) const
{
    return twips * m_printer.resolution() / TwipsPerInch;
}

double ReportPrinter::twipsPerPixelX() const
{
    return TwipsPerInch / m_printer.resolution();
}

double ReportPrinter::twipsPerPixelY() const
{
    return TwipsPerInch / m_printer.resolution();
}

QSizeF ReportPrinter::pageTwips() const
{
    const QRectF inches = m_printer.pageLayout().paintRect(QPageLayout::Inch);
    return inches.size() * TwipsPerInch;
}

void ReportPrinter::setFontName(const QString &family)
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        m_font.setFamily(family);
        return succeeded();
    });
}

void ReportPrinter::setFontSize(double points)
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        m_font.setPointSizeF(points);
        return succeeded();
    });
}

void ReportPrinter::setPortrait()
{
    m_steps.step([&] {
        if (m_painter.isActive())
            return succeeded();  // set before the document's first output
        m_printer.setPageOrientation(QPageLayout::Portrait);
        return succeeded();
    });
}

void ReportPrinter::setCurrentY(int twips)
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        m_currentYTwips = twips;
        return succeeded();
    });
}

void ReportPrinter::print(const ReportLine &line)
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        m_painter.setFont(m_font);
        const QFontMetricsF metrics(m_font, &m_printer);
        const double column = metrics.averageCharWidth();
        const double lineHeight = metrics.lineSpacing();
        const double lineTwips = lineHeight * TwipsPerInch / m_printer.resolution();
        const double pageHeight = m_printer.pageLayout().paintRectPixels(m_printer.resolution()).height();

        double x = 0;
        for (const ReportItem &item : line.items) {
            const double at = (item.column - 1) * column;
            if (x > at + 0.5) {
                m_currentYTwips += lineTwips;
                x = 0;
            }
            x = at;
            if (toDeviceY(m_currentYTwips) + lineHeight > pageHeight) {
                if (!m_printer.newPage())
                    return failed(QStringLiteral("The printer could not start a new page."));
                m_currentYTwips = 0;
            }
            m_painter.drawText(QPointF(x, toDeviceY(m_currentYTwips) + metrics.ascent()), item.text);
            x += metrics.horizontalAdvance(item.text);
        }
        m_currentYTwips += lineTwips;
        return succeeded();
    });
}

void ReportPrinter::print(const ReportLines &lines)
{
    for (const ReportLine &line : lines)
        print(line);
}

void ReportPrinter::draw(const QRect &deviceRect, const std::function<void(QPainter &, const QRect &)> &render)
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        m_painter.save();
        render(m_painter, deviceRect);
        m_painter.restore();
        return succeeded();
    });
}

void ReportPrinter::endDoc()
{
    m_steps.step([&] {
        if (!m_painter.isActive())
            return succeeded();  // nothing was printed: no document to end
        if (!m_painter.end())
            return failed(QStringLiteral("The printer did not finish the document."));
        ++m_ended;
        return succeeded();
    });
}
