#include "ReportPrinter.h"

#include "files/OutputFile.h"
#include "link/StepRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
constexpr double TwipsPerInch = 1440.0;

// Whether a PDF file ends with its end-of-file mark (and nothing but blanks after it).
bool wholePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 5)
        return false;
    file.seek(qMax<qint64>(0, file.size() - 64));
    return file.readAll().trimmed().endsWith("%%EOF");
}
}  // namespace

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

std::optional<Failure> ReportPrinter::printFailure(const StepRunner &steps)
{
    if (const auto &first = steps.firstFailure())
        return Failure{first->description, Failure::Kind::PrintFailed};
    return std::nullopt;
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
    const QString file = OutputFile::numbered(m_firstFileName, m_ended);
    if (!file.isEmpty()) {
        if (const auto why = OutputFile::refusal(file))
            return failed(Failure::Kind::PrintFailed, QStringLiteral("The PDF cannot be written: %1.").arg(*why));
        // The PDF writer says only that it could not begin; the system says why.
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly))
            return failed(Failure::Kind::PrintFailed,
                          QStringLiteral("The PDF %1 cannot be written: %2.").arg(file, probe.errorString()));
    }
    m_printer.setOutputFileName(file);
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

void ReportPrinter::newPage()
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        if (!m_printer.newPage())
            return failed(QStringLiteral("The printer could not start a new page."));
        m_currentYTwips = 0;
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

void ReportPrinter::printTogether(const ReportLines &lines)
{
    m_steps.step([&] {
        if (const StepResult r = begin())
            return r;
        const QFontMetricsF metrics(m_font, &m_printer);
        const double needed = double(lines.size()) * metrics.lineSpacing();
        const double pageHeight = m_printer.pageLayout().paintRectPixels(m_printer.resolution()).height();
        if (m_currentYTwips > 0 && toDeviceY(m_currentYTwips) + needed > pageHeight) {
            if (!m_printer.newPage())
                return failed(QStringLiteral("The printer could not start a new page."));
            m_currentYTwips = 0;
        }
        return succeeded();
    });
    print(lines);
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
        // The PDF writer does not say when the disk refused a part of the file: a PDF is
        // whole only when it ends with its end-of-file mark.
        const QString file = m_printer.outputFileName();
        if (m_printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty() && !wholePdf(file)) {
            QFile::remove(file);
            return failed(Failure::Kind::PrintFailed,
                          QStringLiteral("The PDF %1 could not be written whole (is the disk full?).").arg(file));
        }
        return succeeded();
    });
}
