#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "files/OutputFile.h"
#include "reports/ReportLayout.h"
#include "printing/ServicePrintout.h"
#include "printing/StatisticsPrintout.h"
#include "logbook/ModuleImage.h"
#include "reports/ServiceReport.h"
#include "stats/ModuleStatistics.h"
#include "support/ReportSample.h"
#include "support/Golden.h"
#include "support/ScriptedPrompt.h"

#include <QImage>

#include <QFile>
#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>

namespace {
// Lines as pdftotext gives them back from paper: blank lines dropped, blanks folded, the
// time left out. What the lines say is the layout's business; this is what must reach the
// page, in order.
QStringList onPaper(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines.join(QLatin1Char('\n')).split(QLatin1Char('\n')))
        if (const QString folded = line.simplified(); !folded.isEmpty())
            out << (folded.startsWith(QLatin1String("Downloaded: ")) ? QStringLiteral("Downloaded:") : folded);
    return out;
}
QStringList onPaper(const ReportLines &lines) { return onPaper(QStringList{renderReportText(lines)}); }

// The text of a PDF, page by page, as pdftotext lays it out, on paper.
QList<QStringList> pdfPages(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    QList<QStringList> pages;
    for (const QString &page : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f')))
        if (const QStringList lines = onPaper(QStringList{page}); !lines.isEmpty())
            pages << lines;
    return pages;
}

ReportContext context() { return {QStringLiteral("Korvane"), QStringLiteral("SN 12"), {}, true, {}, {}}; }

QPrinter *pdfPrinter(const QString &path)
{
    auto *printer = new QPrinter(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageSize(QPageSize(QPageSize::Letter));
    return printer;
}
}  // namespace

class tst_Printouts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statistics()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        std::unique_ptr<QPrinter> printer(pdfPrinter(path));
        ScriptedPrompt prompt;
        QVERIFY(!StatisticsPrintout::print(*printer, prompt, sampleRecord(3), context()));

        QVERIFY(prompt.texts().isEmpty());
        const auto pages = pdfPages(path);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages.first(),
                 onPaper(SampleHeader + SampleSummary + QStringList{"", ""} + SampleRpmTable + SampleTempSection));

        // Where pdftotext finds each word's left edge, in points from the sheet's edge.
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString html = QString::fromUtf8(p.readAllStandardOutput());
        const auto leftOf = [&](const QString &word) {
            const QRegularExpression re(QStringLiteral("xMin=\"([0-9.]+)\"[^>]*>%1<").arg(QRegularExpression::escape(word)));
            return re.match(html).captured(1).toDouble();
        };
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(12);
        const double column = QFontMetricsF(font, printer.get()).averageCharWidth() * 72.0 / printer->resolution();
        const double margin = printer->pageLayout().paintRect(QPageLayout::Point).left();
        // Column n starts n - 1 average character widths from the printable area's edge.
        const struct {
            const char *word;
            int column;
        } placed[] = {{"Summary", 10}, {"1141.66", 35}, {"Idle", 10}, {"2.07", 30}};
        for (const auto &w : placed)
            QVERIFY2(qAbs(leftOf(QLatin1String(w.word)) - (margin + (w.column - 1) * column)) < column / 3, w.word);
    }

    void chart_data()
    {
        QTest::addColumn<int>("dataFlags");
        QTest::newRow("flags 1") << 1;
        QTest::newRow("flags 2: a second document") << 2;
    }

    void chart()
    {
        QFETCH(int, dataFlags);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.pdf"));
        std::unique_ptr<QPrinter> printer(pdfPrinter(path));
        ScriptedPrompt prompt;
        const ModuleStatistics s = sampleRecord(dataFlags);
        ChartWindow window(s, QStringLiteral("Korvane"), prompt);
        QVERIFY(!ChartPrintout::print(*printer, prompt, window, s, context()));
        QVERIFY(prompt.shown().isEmpty());

        // Header and summary (without the empty line before the maximum RPM, and the WOT
        // line only with flag 1), the title, then the axis texts of the chart, then the table.
        QStringList summary = SampleSummary;
        summary.removeAt(4);
        if (!(dataFlags & 1))
            summary.removeAt(2);
        const QStringList expected = onPaper(SampleHeader + summary) << "ELAPSED TIME IN RPM BANDS";
        const QStringList table = onPaper(SampleRpmTable.mid(2));
        const auto pages = pdfPages(path);
        QCOMPARE(pages.size(), 1);
        const QStringList page = pages.first();
        QCOMPARE(page.mid(0, expected.size()), expected);
        QCOMPARE(page.mid(page.size() - table.size()), table);
        const QString chartText = page.mid(expected.size(), page.size() - table.size() - expected.size()).join(' ');
        QVERIFY2(chartText.contains(QLatin1String("HOURS")) && chartText.contains(QLatin1String("RPM")),
                 qPrintable(chartText));

        const QString second = OutputFile::numbered(path, 1);
        QCOMPARE(second, dir.filePath(QStringLiteral("chart-2.pdf")));
        QCOMPARE(QFile::exists(second), bool(dataFlags & 2));
        if (dataFlags & 2)
            QCOMPARE(pdfPages(second), QList<QStringList>{onPaper(SampleTempSection.mid(2))});
    }

    // The letterhead, the values, the histogram and the rest, in order; the logo at the top
    // right in its proportions, or left off when it is not an image.
    void service_data()
    {
        QTest::addColumn<QSize>("logo");  // empty: a file that is not an image
        QTest::addColumn<QRect>("placed");
        QTest::addColumn<bool>("histogram");
        QTest::newRow("a wide logo") << QSize(400, 100) << QRect(0, 500, 2880, 720) << true;
        QTest::newRow("a tall logo, no hours in any band") << QSize(100, 400) << QRect(0, 500, 360, 1440) << false;
        QTest::newRow("a logo that is not an image") << QSize() << QRect() << true;
    }

    void service()
    {
        QFETCH(QSize, logo);
        QFETCH(QRect, placed);
        QFETCH(bool, histogram);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("service.pdf"));
        std::unique_ptr<QPrinter> printer(pdfPrinter(path));
        ScriptedPrompt prompt;

        ServiceReport report;
        report.workshop = {QStringLiteral("Harbour Marine"), QStringLiteral("12 Quay St\nPort Ellen"),
                           QStringLiteral("01496 300 123"), dir.filePath(QStringLiteral("logo.png"))};
        if (logo.isEmpty()) {
            QVERIFY(writeFile(report.workshop.logo, "not an image"));
        } else {
            QImage image(logo, QImage::Format_RGB32);
            image.fill(Qt::darkBlue);
            QVERIFY(image.save(report.workshop.logo));
        }
        auto bytes = goldenImage(QStringLiteral("echo-full.bin"));
        if (!histogram)
            std::fill(bytes.begin() + 64, bytes.begin() + 64 + 26, 0);
        report.entry.download = *ModuleImage::toDownload(QByteArray(reinterpret_cast<const char *>(bytes.data()), 256), true);
        report.entry.first = true;
        report.entry.sincePrevious = report.entry.lifetime = Accumulation::held(report.entry.download);
        report.engine.name = QStringLiteral("HULL 7");
        report.sha256 = ModuleImage::sha256(report.entry.download);
        report.context = context();
        const ModuleStatistics stats = report.entry.download.decode();
        std::unique_ptr<ChartWindow> window;
        if (histogram)
            window = std::make_unique<ChartWindow>(stats, QStringLiteral("Korvane"), prompt);
        QVERIFY(!ServicePrintout::print(*printer, prompt, window.get(), report));
        QVERIFY(prompt.shown().isEmpty());

        QStringList paper;
        for (const QStringList &page : pdfPages(path))
            paper << page;
        const QStringList before = onPaper(report.letterhead() + ReportLines{ReportLine::empty()} + report.heading()
                                           + report.values());
        QStringList after;
        for (const ReportLines &block : {report.rpmBands(), report.temperatureBands(), report.sincePrevious(),
                                         report.warranty(), report.service(), report.fingerprint()})
            after << onPaper(block);
        QCOMPARE(paper.mid(0, before.size()), before);
        QCOMPARE(paper.mid(paper.size() - after.size()), after);
        const QString between = paper.mid(before.size(), paper.size() - after.size() - before.size()).join(' ');
        QVERIFY2(histogram ? between.contains(QLatin1String("HOURS")) : between.startsWith(QLatin1String("No hours")),
                 qPrintable(between));

        // The logo's place, right-aligned to the printable width, and whether it reached the page.
        const QSizeF page = printer->pageLayout().paintRect(QPageLayout::Inch).size() * 1440;
        QRect expected = placed;
        if (!placed.isEmpty())
            expected.moveLeft(int(std::lround(page.width())) - placed.width());
        QCOMPARE(ServicePrintout::logoTwips(page, logo), expected);
        QProcess images;
        images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
        QVERIFY(images.waitForFinished(30000));
        const int listed = int(QString::fromUtf8(images.readAllStandardOutput()).trimmed().split('\n').size()) - 2;
        QCOMPARE(listed, logo.isEmpty() ? 0 : 1);
    }
};

QTEST_MAIN(tst_Printouts)
#include "tst_Printouts.moc"
