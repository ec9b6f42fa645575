#include "app/LogbookController.h"
#include "app/PortsController.h"
#include "app/PortsDialog.h"
#include "app/TraceController.h"
#include "link/PortDiscovery.h"
#include "logbook/Logbook.h"
#include "support/ModsimProcess.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The controllers beside the main window's form: the logbook kept or not, the byte trace
// left on across starts, the Ports dialog and Find Module choosing an entry.
class tst_Controllers : public QObject {
    Q_OBJECT

    QAction *action(WindowRig &rig, const char *name) { return rig.window->findChild<QAction *>(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Runlog-tests"));
        QCoreApplication::setApplicationName(QStringLiteral("Runlog"));  // as the window names its settings
    }

    void init() { QSettings().clear(); }

    void keepingFollowsTheMenu_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("kept") << true;
        QTest::newRow("not kept") << false;
    }

    void keepingFollowsTheMenu()
    {
        QFETCH(bool, keep);
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("logbook.sqlite"));
        QSettings().setValue(QLatin1String(LogbookController::FileSetting), book);
        {
            WindowRig rig(true, QStringLiteral("echo-full.bin"));
            QCOMPARE(action(rig, "mnuKeep")->isChecked(), true);  // keeping is the default
            if (!keep)
                action(rig, "mnuKeep")->trigger();
            rig.click("cmdReadStats");
        }
        Logbook logbook;
        const auto opened = logbook.open(book, Logbook::Mode::ReadOnly);
        QVERIFY2(!opened, qPrintable(opened.value_or(QString())));
        QCOMPARE(logbook.list().size(), keep ? 1 : 0);
        // And the choice holds at the next start.
        WindowRig again;
        QCOMPARE(action(again, "mnuKeep")->isChecked(), keep);
    }

    void aTraceLeftOnGoesOnAtTheNextStart()
    {
        QTemporaryDir dir;
        const QString trace = dir.filePath(QStringLiteral("trace.txt"));
        {
            WindowRig rig(true, QStringLiteral("echo-full.bin"));
            rig.window->findChild<TraceController *>()->setFileChooser([&](const QString &) { return trace; });
            action(rig, "mnuTrace")->trigger();
        }
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QVERIFY(action(rig, "mnuTrace")->isChecked());
        rig.click("cmdReadStats");
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QCOMPARE(text.count(QLatin1String("# runlog ")), 2);  // a heading for each start
        QVERIFY2(text.contains(QLatin1String("  tx 10\n")), qPrintable(text));
    }

    void thePortsDialogAssignsTheEntryChosen()
    {
        QTemporaryDir dir;
        PortDiscovery discovery(dir.path(), dir.filePath(QStringLiteral("by-id")));
        PortsDialog dialog(discovery);
        dialog.findChild<QComboBox *>(QStringLiteral("portNumber"))->setCurrentIndex(6);
        dialog.findChild<QComboBox *>(QStringLiteral("portDevice"))->setCurrentText(QStringLiteral("/dev/ttyElsewhere"));
        QSignalSpy changed(&dialog, &PortsDialog::mappingChanged);
        for (QPushButton *b : dialog.findChildren<QPushButton *>())
            if (b->text() == QLatin1String("&Assign"))
                b->click();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(QSettings().allKeys(), QStringList{"Ports/Com7"});
        QCOMPARE(QSettings().value(QStringLiteral("Ports/Com7")).toString(), QStringLiteral("/dev/ttyElsewhere"));
    }

    void findModuleChoosesTheEntryOfTheModule()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dev")) && QDir(dir.path()).mkpath(QStringLiteral("by-id")));
        const QString stable = dir.filePath(QStringLiteral("by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"));
        ModsimProcess module({QStringLiteral("--demo"), QStringLiteral("--link"), stable});
        QVERIFY(!module.device().isEmpty());
        QSettings().setValue(QStringLiteral("Ports/Com3"), QStringLiteral("/dev/ttyTaken"));
        PortDiscovery discovery(dir.filePath(QStringLiteral("dev")), dir.filePath(QStringLiteral("by-id")));

        WindowRig rig;
        rig.window->ports().setDiscovery(discovery);
        action(rig, "mnuFindModule")->trigger();
        // The entry chosen is the one that leads to the module (the machine's own serial
        // ports may have taken numbers before it).
        const QString chosen = rig.find<QComboBox>("cboPort")->currentText();
        QVERIFY(chosen != QLatin1String("Com1") && chosen != QLatin1String("Com3"));
        QCOMPARE(QSettings().value(QStringLiteral("Ports/") + chosen).toString(), stable);
        QVERIFY2(rig.prompt.texts().value(0).startsWith(QStringLiteral("Found a module, firmware ID RL-7.02 IGN E, on ")
                                                         + chosen + QLatin1Char(':')),
                 qPrintable(rig.prompt.texts().join('|')));
    }
};

QTEST_MAIN(tst_Controllers)
#include "tst_Controllers.moc"
