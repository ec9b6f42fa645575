// Takes the README's pictures: the real windows after a demo download, on whatever
// platform runs it (scripts/screenshots runs it under Xvfb).
#include "session/Configuration.h"
#include "app/LogbookController.h"
#include "app/EnginesView.h"
#include "app/LogbookDialog.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "printing/ChartPrintout.h"
#include "printing/ChartWindow.h"
#include "printing/ServicePrintout.h"
#include "printing/StatisticsPrintout.h"
#include "logbook/Logbook.h"
#include "reports/ReportLayout.h"
#include "reports/ServiceReport.h"
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
#include <QPainter>
#include <QPrinter>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
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

// Two more engines in the logbook, read earlier in the season, with their owners and
// service intervals; the demonstration engine serviced at its first download.
void fillTheShop(Logbook &logbook, const Download &demo)
{
    const struct {
        const char *userData;
        const char *owner;
        double interval;
        int extraCounts;
    } others[] = {{"HULL 5120 / SN 18807", "Islay Ferries", 100, 11200}, {"RIB 3 / SN 22014", "Port Ellen RNLI", 50, 4100}};
    for (const auto &other : others)
        for (int visit = 0; visit < 3; ++visit) {
            Download d = demo;
            d.takenAt = demo.takenAt.addDays(-40 + 15 * visit);
            d.userData = QByteArray(other.userData).leftJustified(32, ' ');
            const int total = d.statistics[26] + 256 * d.statistics[27] + other.extraCounts - 2000 * (2 - visit);
            d.statistics[26] = quint8(total & 0xFF);
            d.statistics[27] = quint8(total >> 8);
            logbook.save(d);
        }
    for (Engine engine : logbook.engines()) {
        for (const auto &other : others)
            if (engine.name == QLatin1String(other.userData)) {
                engine.owner = QLatin1String(other.owner);
                engine.serviceInterval = other.interval;
            }
        if (engine.id == 1) {
            engine.owner = QStringLiteral("A. MacLeod");
            engine.serviceInterval = 150;
            engine.notes = QStringLiteral("Twin installation, port engine");
            logbook.markServiced(1, 1);
        }
        logbook.updateEngine(engine);
    }
}

// A workshop's emblem, drawn here so that the pictures need no file of their own.
QString drawLogo(const QString &folder)
{
    QImage logo(320, 160, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(20, 60, 120));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRect(0, 0, 320, 160), 24, 24);
    p.setPen(Qt::white);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(84);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, 320, 160), Qt::AlignCenter, QStringLiteral("HME"));
    p.end();
    const QString path = QDir(folder).filePath(QStringLiteral("workshop-logo.png"));
    logo.save(path);
    return path;
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
    // The engine on screen has a service interval: the status line says where it stands.
    if (auto engine = session.logbook().engine(1)) {
        engine->serviceInterval = 150;
        session.logbook().updateEngine(*engine);
        Q_EMIT window.shownChanged();
    }
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
                for (int k = 0; k < 26; k += 2) {
                    // Each band's counter a little higher, carried into its high byte.
                    const int counts = later[size_t(64 + k)] + 256 * later[size_t(65 + k)] + 40 + k * 3;
                    later[size_t(64 + k)] = quint8(counts & 0xFF);
                    later[size_t(65 + k)] = quint8(counts >> 8);
                }
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
                logbook->close();
                fillTheShop(session.logbook(), *session.logbook().load(1));

                // The service report of the last download, on a workshop's letterhead.
                QString why;
                auto report = ServiceReport::ofDownload(session.logbook(), 4, config.MakerLines.first(), true, &why);
                if (report) {
                    report->workshop = {QStringLiteral("Harbour Marine Engines"),
                                        QStringLiteral("12 Quay Street\nPort Ellen, Isle of Islay PA42 7AB"),
                                        QStringLiteral("01496 300 123"), drawLogo(logbookDir.path())};
                    report->technician = QStringLiteral("J. Campbell");
                    report->job = QStringLiteral("2026-0412");
                    ChartWindow reportChart(report->entry.download.decode(), config.MakerLines.first(), prompt);
                    printTo(QDir(outDir).filePath(QStringLiteral("service-report.pdf")), [&](QPrinter &p) {
                        ServicePrintout::print(p, prompt, &reportChart, *report);
                    });
                } else {
                    std::fprintf(stderr, "screenshots: %s\n", qPrintable(why));
                    ok = false;
                }

                // The logbook window again, at its Engines view, the demonstration engine's
                // last download chosen.
                auto *engines = new LogbookDialog(session.logbook(), prompt, &window);
                engines->tabs()->setCurrentWidget(engines->engines());
                engines->show();
                QTimer::singleShot(300, [&, engines] {
                    ok = grabWindow(engines, QDir(outDir).filePath(QStringLiteral("engines.png"))) && ok;
                    QCoreApplication::exit(ok ? 0 : 1);
                });
            });
        });
    });
    return app.exec();
}
