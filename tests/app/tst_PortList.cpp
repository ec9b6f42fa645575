#include "app/ElidingLabel.h"
#include "app/PortPresenceDelegate.h"
#include "app/PortsController.h"
#include "link/PortDiscovery.h"
#include "support/PtyPeer.h"
#include "support/WindowRig.h"

#include <QAbstractItemView>
#include <QSettings>
#include <QStandardPaths>
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

// The port list under the Data Port Setup frame: which entries lead to a device that is
// there, seen by more than the weight of the type, and the line under the list.
class tst_PortList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Runlog-tests-PortList"));  // settings of its own
        QCoreApplication::setApplicationName(QStringLiteral("Runlog"));  // as the window sets it
    }

    void cleanupTestCase() { QSettings().clear(); }

    void init() { QSettings().clear(); }

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

QTEST_MAIN(tst_PortList)
#include "tst_PortList.moc"
