#include "app/DialogPrompt.h"
#include "app/ScreenFit.h"
#include "link/LinkDiagnosis.h"
#include "printing/StatisticsPrintout.h"
#include "printing/Twips.h"
#include "stats/ModuleOperations.h"
#include "support/FakeSystem.h"
#include "support/WindowRig.h"

#include <QDialog>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {
int px(int twips) { return Twips::toPixels(twips, 96); }

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

    void placement_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("client");
        QTest::addColumn<bool>("scrolled");
        // A window of 697 x 594 designed at (47, 78), in a frame of a 24-pixel title bar
        // and 4-pixel borders.
        QTest::newRow("room enough: the designed place") << QRect(0, 0, 1024, 740) << QRect(47, 78, 697, 594) << false;
        QTest::newRow("a narrow screen: moved left") << QRect(0, 0, 720, 740) << QRect(19, 78, 697, 594) << false;
        QTest::newRow("a panel at the top: moved down") << QRect(0, 80, 1024, 688) << QRect(47, 108, 697, 594) << false;
        QTest::newRow("too short: cut, from the top") << QRect(0, 0, 800, 570) << QRect(47, 28, 697, 538) << true;
        QTest::newRow("too small either way: the area's corner") << QRect(0, 0, 512, 360) << QRect(4, 28, 504, 328) << true;
    }

    void placement()
    {
        QFETCH(QRect, available);
        QFETCH(QRect, client);
        QFETCH(bool, scrolled);
        const ScreenFit fit = ScreenFit::place(QRect(47, 78, 697, 594), QMargins(4, 28, 4, 4), available);
        QCOMPARE(fit.client, client);
        QCOMPARE(fit.scrolled, scrolled);
    }

    // Wholly on the screen; at its designed place where that keeps it there; scrolled to
    // every button where the screen is too small for it.
    void theMainWindowIsOnTheScreen()
    {
        WindowRig rig;
        QMainWindow &window = *rig.window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect available = window.screen()->availableGeometry();
        QVERIFY2(available.contains(window.frameGeometry()), qPrintable(QDebug::toString(window.frameGeometry())));

        const QWidget *client = rig.find<QWidget>("client");
        const QSize natural(client->width(),
                            client->height() + window.menuBar()->sizeHint().height() + window.statusBar()->sizeHint().height());
        const QMargins frame(window.geometry().left() - window.frameGeometry().left(),
                             window.geometry().top() - window.frameGeometry().top(),
                             window.frameGeometry().right() - window.geometry().right(),
                             window.frameGeometry().bottom() - window.geometry().bottom());
        const QRect designed(QPoint(px(708), px(1176)), natural);
        auto *scroll = qobject_cast<QScrollArea *>(window.centralWidget());
        if (available.contains(designed.marginsAdded(frame)))
            QVERIFY(window.geometry() == designed && !scroll);

        for (QPushButton *button : client->findChildren<QPushButton *>()) {
            if (scroll)
                scroll->ensureWidgetVisible(button, 0, 0);
            const QRect seen(button->mapTo(&window, QPoint(0, 0)), button->size());
            const QRect room = scroll ? QRect(scroll->viewport()->mapTo(&window, QPoint(0, 0)), scroll->viewport()->size())
                                      : window.rect();
            QVERIFY2(room.contains(seen), qPrintable(button->objectName()));
        }
    }

    void boxesShowTheirWholeText_data()
    {
        QTest::addColumn<bool>("input");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
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
                    faults << QStringLiteral("the text has less room than it needs");
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
