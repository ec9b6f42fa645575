#include "app/ElidingLabel.h"
#include "app/LogbookController.h"
#include "app/PortPresenceDelegate.h"
#include "app/PortsController.h"
#include "app/PortsDialog.h"
#include "app/TraceController.h"
#include "link/PortDiscovery.h"
#include "logbook/Logbook.h"
#include "support/ModsimProcess.h"
#include "support/PtyPeer.h"
#include "support/WindowRig.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The delegate's view of an entry, as the open list draws it.
struct DrawnEntry : PortPresenceDelegate {
    QStyleOptionViewItem option(const QModelIndex &index) const
    {
        QStyleOptionViewItem o;
        initStyleOption(&o, index);
        return o;
    }
};
}  // namespace

// The controllers beside the main window's form: the logbook kept or not, the byte trace
// left on across starts, the Ports dialog and Find Module choosing an entry, and the port
// list's entries that lead to a device, seen by more than the weight of the type.
class tst_Controllers : public QObject {
    Q_OBJECT

    QAction *action(WindowRig &rig, const char *name) { return rig.window->findChild<QAction *>(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase() { useTestSettings(); }

    void init() { QSettings().clear(); }

    // Keeping is on by default; turned off, and a byte trace turned on, both hold at the
    // next start, where the trace goes on in the same file.
    void choicesHoldAtTheNextStart()
    {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("logbook.sqlite")), trace = dir.filePath(QStringLiteral("trace.txt"));
        QSettings().setValue(QLatin1String(LogbookController::FileSetting), book);
        {
            WindowRig rig(true, QStringLiteral("echo-full.bin"));
            QVERIFY(action(rig, "mnuKeep")->isChecked());
            action(rig, "mnuKeep")->trigger();
            rig.window->findChild<TraceController *>()->setFileChooser([&](const QString &) { return trace; });
            action(rig, "mnuTrace")->trigger();
        }
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        QVERIFY(!action(rig, "mnuKeep")->isChecked() && action(rig, "mnuTrace")->isChecked());
        rig.click("cmdReadStats");
        Logbook logbook;
        const auto opened = logbook.open(book, Logbook::Mode::ReadOnly);
        QVERIFY2(!opened, qPrintable(opened.value_or(QString())));
        QCOMPARE(logbook.list().size(), 0);
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

    void entriesLeadingToADeviceAreMarked()
    {
        QTemporaryDir dir;
        PtyPeer pty;
        const QString link = dir.filePath(QStringLiteral("ttyModule"));
        QVERIFY(QFile::link(pty.device(), link));
        QSettings().setValue(QStringLiteral("Ports/Com3"), link);
        QSettings().setValue(QStringLiteral("Ports/Com4"), dir.filePath(QStringLiteral("unplugged")));
        QSettings().setValue(QStringLiteral("Properties/CommPort"), QStringLiteral("3"));
        WindowRig rig;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dev")));
        PortDiscovery discovery(dir.filePath(QStringLiteral("dev")), dir.filePath(QStringLiteral("by-id")));
        rig.window->ports().setDiscovery(discovery);

        auto *list = rig.find<QComboBox>("cboPort");
        const DrawnEntry delegate;
        QStringList drawn;
        for (int row : {2, 3}) {
            const QStyleOptionViewItem o = delegate.option(list->model()->index(row, 0));
            drawn << o.text + (o.icon.isNull() ? "" : "+icon");
        }
        QCOMPARE(drawn, (QStringList{"Com3 (present)+icon", "Com4"}));
        QCOMPARE(list->itemText(2), QStringLiteral("Com3"));  // the list's own texts stay
        QCOMPARE(list->itemData(2, Qt::AccessibleTextRole).toString(), QStringLiteral("Com3 (present)"));
        QVERIFY(list->view()->minimumWidth() > list->width());  // the open list has room for the marks

        auto *device = rig.find<ElidingLabel>("lblPortDevice");
        QCOMPARE(device->fullText(), link);
        list->setCurrentIndex(3);
        QCOMPARE(device->fullText(), dir.filePath(QStringLiteral("unplugged")) + QStringLiteral(" (not present)"));
    }

    // With --demo the simulated module answers on every entry: the window says so where the
    // device would be named, not only in its caption.
    void theSimulatedModuleIsNamedUnderTheList()
    {
        Configuration config = Configuration::builtIn();
        ScriptedPrompt prompt;
        ModuleSession session(prompt, ModuleSession::Simulated::Echoing);
        MainWindow window(config, session);
        PortDiscovery discovery(QStringLiteral("/nonexistent"), QStringLiteral("/nonexistent"));
        window.ports().setDiscovery(discovery);
        auto *list = window.findChild<QComboBox *>(QStringLiteral("cboPort"));
        list->setCurrentIndex(7);
        QCOMPARE(window.findChild<ElidingLabel *>(QStringLiteral("lblPortDevice"))->fullText(),
                 QStringLiteral("Simulated module (demo)"));
        QVERIFY(list->itemData(7, PortPresenceDelegate::PresentRole).toBool());
    }
};

QTEST_MAIN(tst_Controllers)
#include "tst_Controllers.moc"
