#include "app/EnginesView.h"
#include "app/LogbookController.h"
#include "app/LogbookDialog.h"
#include "app/ReportActions.h"
#include "app/ServiceReportAction.h"
#include "app/WorkshopDialog.h"
#include "logbook/Logbook.h"
#include "printing/ReportPrinter.h"
#include "reports/Workshop.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The module of echo-full.bin (user data "AB", 15200 counts: 141.66 h) after another 300
// counts at idle and in all: 2.80 h more, 144.45 h in all.
ModuleSimulator::Image ranOn()
{
    ModuleSimulator::Image image = goldenImage(QStringLiteral("echo-full.bin"));
    const auto add = [&](int address, int counts) {
        const int value = image[size_t(address)] + 256 * image[size_t(address + 1)] + counts;
        image[size_t(address)] = quint8(value & 0xFF);
        image[size_t(address + 1)] = quint8(value >> 8);
    };
    add(64, 300);       // idle
    add(64 + 26, 300);  // total
    return image;
}

QString cell(QTableWidget *t, int row, int column)
{
    return t->item(row, column) ? t->item(row, column)->text() : QString();
}

QPushButton *button(QWidget *w, const char *name)
{
    return w->findChild<QPushButton *>(QLatin1String(name));
}
}  // namespace

// The window's side of the engines: the service status of the engine on screen, the
// Engines view of the logbook window, Tools > Service Report... and Workshop Details...
class tst_EnginesView : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { useTestSettings(); }

    // Each test keeps to a logbook of its own.
    void init()
    {
        QSettings().clear();
        QSettings().setValue(QLatin1String(LogbookController::FileSetting),
                             m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + QStringLiteral(".sqlite")));
    }

    // The Engines view lists, edits, marks a service and moves a download; the status line
    // says where the engine on screen stands, or stood at a kept download.
    void theEnginesViewAndTheStatusLine()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        const auto status = [&] { return rig.text("lblServiceStatus"); };
        rig.click("cmdReadStats");
        QCOMPARE(status(), QStringLiteral("Engine AB: 141.66 h since its counters started (no service marked); no service interval"));
        rig.module.setEeprom(ranOn());
        rig.click("cmdReadStats");
        Logbook &logbook = rig.session.logbook();
        LogbookDialog dialog(logbook, rig.prompt);
        EnginesView *view = dialog.engines();
        QSignalSpy changed(&dialog, &LogbookDialog::enginesChanged);

        QTableWidget *engines = view->engines(), *history = view->history();
        QCOMPARE(engines->rowCount(), 1);
        QCOMPARE(cell(engines, 0, 1) + '|' + cell(engines, 0, 4) + '|' + cell(engines, 0, 5),
                 QStringLiteral("AB|144.45|no service interval"));
        QCOMPARE(history->rowCount(), 2);
        QCOMPARE(cell(history, 1, 2) + '|' + cell(history, 1, 3), QStringLiteral("144.45|2.80"));
        // The last download is chosen, with what ran since the one before, band by band.
        QVERIFY(view->sincePrevious().contains(QRegularExpression(QStringLiteral("Idle +2.80\n"))));

        view->findChild<QLineEdit *>(QStringLiteral("engineName"))->setText(QStringLiteral("Hull 7"));
        view->findChild<QLineEdit *>(QStringLiteral("engineOwner"))->setText(QStringLiteral("A. Sailor"));
        view->findChild<QLineEdit *>(QStringLiteral("engineInterval"))->setText(QStringLiteral("100.0"));
        button(view, "engineSave")->click();
        const Engine saved = *logbook.engine(1);
        QCOMPARE(saved.name + '|' + saved.owner + '|' + QString::number(saved.serviceInterval.value_or(0)),
                 QStringLiteral("Hull 7|A. Sailor|100"));
        QCOMPARE(cell(engines, 0, 1) + '|' + cell(engines, 0, 5), QStringLiteral("Hull 7|overdue by 44.5 h"));

        history->selectRow(0);
        button(view, "engineServiced")->click();
        QVERIFY(logbook.history(1).first().serviced);
        QCOMPARE(cell(engines, 0, 5), QStringLiteral("due in 97.2 h"));
        rig.window->showKept(*logbook.load(2));
        QCOMPARE(status(), QStringLiteral("Engine Hull 7: 2.80 h since the last service; due in 97.2 h"));
        rig.click("cmdClearData");
        QCOMPARE(status(), QString());

        // The second download to a new engine: the view follows it there.
        history->selectRow(1);
        auto *target = view->findChild<QComboBox *>(QStringLiteral("engineTarget"));
        target->setCurrentIndex(target->findData(Logbook::NewEngine));
        button(view, "engineMove")->click();
        QCOMPARE(engines->rowCount(), 2);
        QCOMPARE(logbook.engineOf(2), std::optional<qint64>(2));
        QCOMPARE(cell(engines, engines->currentRow(), 0), QStringLiteral("2"));
        QCOMPARE(history->rowCount(), 1);
        QCOMPARE(changed.count(), 3);

        QSignalSpy opened(&dialog, &LogbookDialog::openRequested);
        button(view, "engineOpen")->click();
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().value<Download>().takenAt, logbook.load(2)->takenAt);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(rig.prompt.shown().isEmpty());
    }

    void aServiceReportIsOfAKeptDownload_data()
    {
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("answers");  // typed into the boxes; "-" cancels
        QTest::addColumn<QStringList>("boxes");    // the start of each box shown
        QTest::newRow("nothing on screen") << false << true << QStringList{} << QStringList{"There is no download on screen"};
        QTest::newRow("a download not kept") << true << false << QStringList{}
                                             << QStringList{"The download on screen is not in the logbook"};
        QTest::newRow("the technician cancelled") << true << true << QStringList{"-"} << QStringList{"Technician?"};
        QTest::newRow("to the printer") << true << true << QStringList{"J. Smith", "42"}
                                        << QStringList{"Technician?", "Job number?", ReportPrinter::noPrinterText()};
    }

    void aServiceReportIsOfAKeptDownload()
    {
        QFETCH(bool, read);
        QFETCH(bool, keep);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, boxes);
        if (boxes.contains(ReportPrinter::noPrinterText()) && !QPrinterInfo::defaultPrinterName().isEmpty())
            QSKIP("this machine has a printer: where the report goes cannot be shown without printing");
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QPrinter printer(QPrinter::HighResolution);
        ReportActions reports(*rig.window, printer);
        ServiceReportAction action(*rig.window, reports);
        if (!keep)
            rig.window->findChild<QAction *>(QStringLiteral("mnuKeep"))->trigger();
        if (read)
            rig.click("cmdReadStats");
        for (const QString &answer : answers)
            rig.prompt.type(answer == QLatin1String("-") ? std::nullopt : std::optional(answer));
        rig.window->serviceReportAction().trigger();
        const QStringList shown = rig.prompt.texts();
        QCOMPARE(shown.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i)
            QVERIFY2(shown[i].startsWith(boxes[i]), qPrintable(shown[i]));
    }

    void workshopDetailsAreKeptInTheSettings()
    {
        const QString logo = m_dir.filePath(QStringLiteral("not-an-image.png"));
        QVERIFY(writeFile(logo, "text"));
        {
            WorkshopDialog dialog;
            dialog.findChild<QLineEdit *>(QStringLiteral("workshopName"))->setText(QStringLiteral(" Harbour Marine "));
            dialog.findChild<QPlainTextEdit *>(QStringLiteral("workshopAddress"))->setPlainText(QStringLiteral("12 Quay St\nPort Ellen"));
            dialog.findChild<QLineEdit *>(QStringLiteral("workshopLogo"))->setText(logo);
            QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("workshopLogoPreview"))->text().contains(QLatin1String("no image")));
            dialog.accept();
        }
        QSettings settings;
        const Workshop kept = Workshop::fromSettings(settings);
        QCOMPARE(kept.name + '|' + kept.address + '|' + kept.phone + '|' + kept.logo,
                 QStringLiteral("Harbour Marine|12 Quay St\nPort Ellen||") + logo);
        WorkshopDialog again;
        QCOMPARE(again.findChild<QLineEdit *>(QStringLiteral("workshopName"))->text(), QStringLiteral("Harbour Marine"));
        // Cancel changes nothing.
        again.findChild<QLineEdit *>(QStringLiteral("workshopName"))->setText(QStringLiteral("Other"));
        again.reject();
        QCOMPARE(Workshop::fromSettings(settings).name, QStringLiteral("Harbour Marine"));
    }
};

QTEST_MAIN(tst_EnginesView)
#include "tst_EnginesView.moc"
