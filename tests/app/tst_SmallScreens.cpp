#include "app/DialogPrompt.h"
#include "link/LinkDiagnosis.h"
#include "printing/StatisticsPrintout.h"
#include "stats/ModuleOperations.h"
#include "support/FakeSystem.h"
#include "support/WindowRig.h"

#include <QDialog>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {
// The advice Find Module gives on a machine with every trouble at once, after an account
// that names an adapter by its stable name: the longest box the program shows.
QString noModuleText()
{
    FakeSystem system;
    system.build({"sys/bus/usb/devices/1-2/idVendor=1a86\n", "sys/bus/usb/devices/1-2/idProduct=7523\n",
                  "sys/bus/usb/devices/1-2/product=USB Serial\n", "sys/bus/usb/devices/1-2/1-2:1.0/bInterfaceClass=ff\n",
                  "proc/812/comm=brltty\n", "proc/640/comm=ModemManager\n"});
    const QStringList advice = LinkDiagnosis::diagnose({}, system.folders, UserAccount{QStringLiteral("alice"), 1000, {}});
    return QStringLiteral("No module answered.\n\n/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3D4-if00-port0: no "
                          "answer in time.\n\n")
           + advice.join(QStringLiteral("\n\n"));
}
}  // namespace

// The smallest screens Runlog is for: 1024 x 768, and 1600 x 1200 at QT_SCALE_FACTOR=2
// (800 x 600 to the program). The same tests run on each (see tests/CMakeLists.txt).
class tst_SmallScreens : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Runlog-tests-SmallScreens"));  // settings of its own
        const QSize area = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY2(area.width() <= 1024 && area.height() <= 768, "to be run on a small screen");
    }

    void cleanupTestCase() { QSettings().clear(); }

    void boxesShowTheirWholeText_data()
    {
        QTest::addColumn<bool>("input");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("the rebuild confirmation") << true << ModuleOperations::RebuildTitle << ModuleOperations::RebuildPrompt;
        QTest::newRow("the comment box, its title longer than its question")
            << true << StatisticsPrintout::CommentTitle << StatisticsPrintout::CommentPrompt;
        QTest::newRow("Find Module's advice") << false << "Find Module" << noModuleText();
        QTest::newRow("a user text refused")
            << false << "" << *ModuleOperations::refusedText(QStringLiteral("Hull 4471, Ivy Quay, Port Ellery, Harbour Works"));
    }

    // Each line of a box's text is there to be read, on the screen and centred on the
    // window it belongs to.
    void boxesShowTheirWholeText()
    {
        QFETCH(bool, input);
        QFETCH(QString, title);
        QFETCH(QString, text);
        WindowRig rig;
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        DialogPrompt prompt(rig.window.get());
        QStringList faults;
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = true;
            const QRect available = box->screen()->availableGeometry();
            if (!available.contains(box->frameGeometry()))
                faults << QStringLiteral("the box is not wholly on the screen");
            const QPoint offCentre = box->frameGeometry().center() - rig.window->frameGeometry().center();
            const bool atAnEdge = box->frameGeometry().left() == available.left() || box->frameGeometry().top() == available.top()
                                  || box->frameGeometry().right() == available.right()
                                  || box->frameGeometry().bottom() == available.bottom();
            if (offCentre.manhattanLength() > 2 && !atAnEdge)
                faults << QStringLiteral("the box is not centred on the window");
            bool textShown = false;
            for (QLabel *label : box->findChildren<QLabel *>()) {
                if (label->text() != text)
                    continue;
                textShown = label->isVisible();
                const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
                if (label->height() < needed || (!label->wordWrap() && label->width() < label->sizeHint().width()))
                    faults << QStringLiteral("the text needs %1 x %2, it has %3 x %4")
                                  .arg(label->sizeHint().width())
                                  .arg(needed)
                                  .arg(label->width())
                                  .arg(label->height());
                if (!box->rect().contains(QRect(label->mapTo(box, QPoint(0, 0)), label->size())))
                    faults << QStringLiteral("the text runs past the box");
            }
            if (!textShown)
                faults << QStringLiteral("the whole text is in no label");
            box->done(QDialog::Rejected);
        });
        if (input)
            prompt.input(text, title, QStringLiteral("No"));
        else
            prompt.message(text, title, Box::OkOnly | Box::Exclamation);
        QVERIFY(seen);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(tst_SmallScreens)
#include "tst_SmallScreens.moc"
