// Takes the README's pictures: the real windows after a demo download, on whatever
// platform runs it (scripts/screenshots runs it under Xvfb).
#include "session/Configuration.h"
#include "app/LogbookController.h"
#include "app/LogbookDialog.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "printing/StatisticsPrintout.h"
#include "reports/ReportLayout.h"
#include "session/ModuleSession.h"
#include "link/EventLoopTiming.h"
#include "link/Prompt.h"
#include "sim/DemoImage.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/ModuleStatistics.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QPrinter>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {
class QuietPrompt : public Prompt {
public:
    Box::Answer message(const QString &text, const QString &, int) override
    {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(text));
        return Box::Abort;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return QStringLiteral("Hull 4471");
    }
};

void printTo(const QString &path, const std::function<void(QPrinter &)> &print)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setOutputFileName(path);
    print(printer);
    std::printf("%s\n", qPrintable(path));
}

bool grabWindow(QWidget *w, const QString &path)
{
    QApplication::processEvents();
    QPixmap shot = w->screen()->grabWindow(w->winId());
    if (shot.isNull() || shot.width() < 10)
        shot = w->grab();
    std::printf("%s\n", qPrintable(path));
    return shot.save(path);
}
}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Runlog-screenshots"));
    QCoreApplication::setApplicationName(QStringLiteral("Runlog"));  // as the window sets it
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);

    {
        Configuration branding;
        QuietPrompt quiet;
        SplashWindow splash(branding, quiet, QStringLiteral("/nonexistent/Runlog.cfg"),
                            QStringLiteral(RUNLOG_DOCS_DIR));
        splash.show();
        QApplication::processEvents();
        grabWindow(&splash, QDir(outDir).filePath(QStringLiteral("splash.png")));
    }

    Configuration config = Configuration::builtIn();
    config.ConfigLines << QStringLiteral("Status_Display_True");
    ModuleSimulator module(true, DemoImage::firmwareId(true));
    module.setEeprom(DemoImage::make(true));
    SimulatedPort port(module);
    EventLoopTiming timing;
    QuietPrompt prompt;

    // A logbook of its own, with a season between two downloads and a copy kept before an erase.
    QTemporaryDir logbookDir;
    QSettings().setValue(QLatin1String(LogbookController::FileSetting), logbookDir.filePath(QStringLiteral("logbook.sqlite")));
    ModuleSession session(port, timing, prompt);
    MainWindow window(config, session);
    window.show();
    window.findChild<QPushButton *>(QStringLiteral("cmdReadStats"))->click();
    const ModuleStatistics stats = window.shown()->decode();
    const ReportContext context = ReportContext::live(config.MakerLines.first(), QStringLiteral("Hull 4471"), true);
    bool ok = true;
    std::unique_ptr<ChartWindow> chart;
    QTimer::singleShot(300, [&] {
        ok = grabWindow(&window, QDir(outDir).filePath(QStringLiteral("main-window.png")));
        chart = std::make_unique<ChartWindow>(stats, config.MakerLines.first(), prompt, &window);
        chart->setModal(false);
        chart->show();
        QTimer::singleShot(300, [&] {
            ok = grabWindow(chart.get(), QDir(outDir).filePath(QStringLiteral("chart-window.png"))) && ok;
            printTo(QDir(outDir).filePath(QStringLiteral("statistics-printout.pdf")), [&](QPrinter &p) {
                StatisticsPrintout::print(p, prompt, stats, context);
            });
            printTo(QDir(outDir).filePath(QStringLiteral("chart-printout.pdf")), [&](QPrinter &p) {
                ChartPrintout::print(p, prompt, *chart, stats, context);
            });
            chart->close();
            {
                auto later = DemoImage::make(true);
                for (int k = 0; k < 26; k += 2)
                    later[size_t(64 + k)] = quint8(later[size_t(64 + k)] + 40 + k * 3);
                later[64 + 32] = 0x0B;  // 1291 starts, 57 more
                later[64 + 33] = 0x05;
                module.setEeprom(later);
                window.findChild<QPushButton *>(QStringLiteral("cmdReadStats"))->click();
                window.findChild<QAction *>(QStringLiteral("mnuEraseRPMLimitData"))->trigger();
            }
            auto *logbook = new LogbookDialog(session.logbook(), prompt, &window);
            logbook->show();
            logbook->table()->selectRow(0);
            logbook->table()->setSelectionMode(QAbstractItemView::MultiSelection);
            logbook->table()->selectRow(3);
            QTimer::singleShot(300, [&, logbook] {
                ok = grabWindow(logbook, QDir(outDir).filePath(QStringLiteral("logbook.png"))) && ok;
                QCoreApplication::exit(ok ? 0 : 1);
            });
        });
    });
    return app.exec();
}
