#include "app/ElidingLabel.h"
#include "app/SplashWindow.h"
#include "printing/Twips.h"
#include "link/ModuleLink.h"
#include "stats/Download.h"
#include "stats/ModuleOperations.h"
#include "support/WindowRig.h"

#include <QMenuBar>
#include <QTemporaryDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {
const QStringList StatusOn{QStringLiteral("Status_Display_True")};
const char *const ValueFields[] = {"lblFirmwareIDData", "lblTotalHrsData",  "lblWOTTotalHrsData",
                                   "lblLimitSecsData",  "lblMaxRPMData",    "lblEngStartsData"};

int px(int twips) { return Twips::toPixels(twips, 96); }
}  // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTestSettings(); }

    void init() { QSettings().clear(); }

    void layout()
    {
        WindowRig rig;
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Korvane Runlog Version 7.0"));
        QCOMPARE(rig.find<QWidget>("msgTempHours")->geometry(), QRect(px(360), px(4560), px(9252), px(612)));  // twips
        QCOMPARE(rig.find<QLineEdit>("txtUserData")->maxLength(), 32);
        QCOMPARE(rig.cell("msgHoursLow", 1, 0) + '|' + rig.cell("msgHoursHigh", 6, 0) + '|' + rig.cell("msgTempHours", 1, 0),
                 QStringLiteral("    Idle|6500-6999|  <85 C"));

        // Menus in order, with their access keys.
        QStringList menus;
        for (QAction *menu : rig.window->menuBar()->actions()) {
            menus << menu->text();
            for (QAction *item : menu->menu()->actions())
                menus.last() += '|' + item->text();
        }
        QCOMPARE(menus, (QStringList{"&File|&Print Statistics|Print Set&up|E&xit",
                                     "&Options|&Erase RPM Limit Data in EEPROM",
                                     "&Tools|&Ports...|&Find Module|&Logbook...|&Keep Downloads in the Logbook|Logbook Ser&ver...|S&ync Logbook|Byte &Trace to File..."
                                     "|Service &Report...|&Workshop Details...",
                                     "&Help|&Contents|&About"}));

        // Hidden until a module supplies them; the status frame without its option.
        for (const char *hidden : {"lblWOTTotalHrs", "lblWOTTotalHrsData", "msgTempHours", "fraStatusDisplay"})
            QVERIFY2(!rig.visible(hidden), hidden);
        QVERIFY(WindowRig(true, {}, StatusOn).visible("fraStatusDisplay"));
    }

    void downloadAndClear_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("shown");  // total, WOT, limit, max RPM, starts, user data, boxes checked
        QTest::newRow("flags 0") << "echo-plain-flags0.bin"
                                 << QStringList{"613.14", "", "0.13", "31", "7", "SN 1", "00"};
        QTest::newRow("flags 3, WOT above total") << "echo-full.bin"
                                                  << QStringList{"141.66", "186.39", "124.45", "6687", "1234", "AB", "11"};
    }

    void downloadAndClear()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, shown);
        WindowRig rig(true, image, StatusOn, "A&B-7");
        rig.window->show();
        rig.click("cmdReadStats");

        QVERIFY(rig.prompt.shown().isEmpty() && !rig.link().isPortOpen());
        QCOMPARE(rig.window->caption(StatisticsView::Field::FirmwareID), QStringLiteral("A&&B-7"));
        QStringList seen;
        for (const char *f : ValueFields)
            seen << rig.text(f);
        // Trailing blanks stay in the record, not in the text box.
        seen << rig.find<QLineEdit>("txtUserData")->text()
             << QStringLiteral("%1%2").arg(int(rig.find<QCheckBox>("chkBreakInLimit")->isChecked()))
                    .arg(int(rig.find<QCheckBox>("chkEngineRebuild")->isChecked()));
        QCOMPARE(seen, QStringList{"A&B-7"} + shown);
        QCOMPARE(rig.visible("lblWOTTotalHrs"), !shown[1].isEmpty());
        QCOMPARE(rig.visible("msgTempHours") && !rig.cell("msgTempHours", 3).isEmpty(), bool(rig.shown().DataFlags & 2));
        // Thirteen bands in fourteen cells, the last one empty.
        QVERIFY(!rig.cell("msgHoursHigh", 6).isEmpty() && rig.cell("msgHoursHigh", 7).isEmpty());

        // Clear Data empties the display only: headers, what is shown and the boxes stay,
        // and the module is not touched.
        rig.trace.clear();
        rig.click("cmdClearData");
        QString left = rig.find<QLineEdit>("txtUserData")->text();
        for (const char *f : ValueFields)
            left += rig.text(f);
        for (const char *g : {"msgHoursLow", "msgHoursHigh", "msgTempHours"})
            for (int c = 1; c <= 7; ++c)
                left += rig.cell(g, c);
        QCOMPARE(left + rig.cell("msgHoursLow", 1, 0), QStringLiteral("    Idle"));
        QVERIFY(rig.visible("lblWOTTotalHrs") == !shown[1].isEmpty() && rig.trace.isEmpty());
        QCOMPARE(rig.find<QCheckBox>("chkBreakInLimit")->isChecked(), shown[6].startsWith('1'));
    }

    void portSettingStoredAndRestored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Com255") << "255" << "Com255" << QStringList{};
        QTest::newRow("out of range") << "300" << "" << QStringList{"Invalid property value"};
    }

    void portSettingStoredAndRestored()
    {
        QFETCH(QString, stored);
        QFETCH(QString, selected);
        QFETCH(QStringList, messages);
        QSettings().setValue(QStringLiteral("Properties/CommPort"), stored);
        {
            WindowRig rig;
            rig.prompt.answer({Box::Ignore});
            auto *ports = rig.find<QComboBox>("cboPort");
            QCOMPARE(ports->itemText(254) + ports->currentText(), "Com255" + selected);
            QCOMPARE(rig.prompt.texts(), messages);
            if (!selected.isEmpty())
                QCOMPARE(QSettings().value(QStringLiteral("Properties/CommPort")).toString(), selected.mid(3));

            // A pick closes an open port, and the next operation opens the new one.
            rig.port.setAvailablePorts({1, 12, 255});
            rig.link().setEEPROMAddress(0);
            rig.link().readEEPROM();
            QVERIFY(rig.link().isPortOpen());
            ports->setCurrentIndex(11);
            QVERIFY(!rig.link().isPortOpen());
            QCOMPARE(QSettings().value(QStringLiteral("Properties/CommPort")).toString(), QStringLiteral("12"));
            rig.link().readFirmwareID();
            QCOMPARE(rig.port.portNumber(), 12);
        }
        WindowRig again;
        QCOMPARE(again.find<QComboBox>("cboPort")->currentText(), QStringLiteral("Com12"));
    }

    void aKeptDownloadIsShownReadOnlyUntilTheNextRead()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"), StatusOn);
        rig.click("cmdReadStats");
        Download kept = *rig.window->shown();
        kept.statistics[0] = 0;  // an older download: less time at idle
        const QString live = rig.window->windowTitle();
        rig.window->showKept(kept);
        QVERIFY(rig.window->windowTitle().startsWith(live + QStringLiteral(" - from the logbook, ")));
        QCOMPARE(rig.cell("msgHoursLow", 1), QStringLiteral("9.54"));
        const auto writable = [&] {
            return rig.find<QPushButton>("cmdWriteUserData")->isEnabled() && !rig.find<QLineEdit>("txtUserData")->isReadOnly()
                   && rig.window->findChild<QAction *>(QStringLiteral("mnuEraseRPMLimitData"))->isEnabled()
                   && rig.find<QCheckBox>("chkEngineRebuild")->isEnabled() && rig.find<QCheckBox>("chkBreakInLimit")->isEnabled();
        };
        QVERIFY(!writable());
        // A copy kept without its status byte shows no flag, and says so.
        kept.status.reset();
        rig.window->showKept(kept);
        QVERIFY(!rig.find<QCheckBox>("chkEngineRebuild")->isChecked() && !rig.find<QCheckBox>("chkBreakInLimit")->isChecked());
        QVERIFY(rig.text("lblUnread").contains(QLatin1String("No status byte")));

        rig.click("cmdReadStats");
        QVERIFY(rig.window->windowTitle() == live && rig.cell("msgHoursLow", 1) == QLatin1String("11.18") && writable());
    }

    void minimisingAndClosingCloseThePort()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        rig.window->show();
        const int applied = rig.port.settingsApplied();
        const auto openPort = [&] {
            rig.link().setEEPROMAddress(53);
            rig.link().readEEPROM();
            return rig.link().isPortOpen();
        };
        QVERIFY(openPort());
        rig.window->showMinimized();
        rig.window->showNormal();  // the settings applied again on the way back, not while minimised
        QVERIFY(!rig.link().isPortOpen() && rig.port.settingsApplied() == applied + 1);
        QVERIFY(openPort());
        QSignalSpy ending(rig.window.get(), &MainWindow::programEnding);
        QVERIFY(rig.window->close() && !rig.link().isPortOpen());
        QCOMPARE(ending.count(), 1);
    }

    void busyAndSecondRequestsDoNotInterleave()
    {
        WindowRig rig(true, QStringLiteral("echo-full.bin"));
        rig.window->show();
        rig.click("cmdReadStats");  // what a second download must not leave on screen meanwhile
        rig.trace.clear();
        auto *ports = rig.find<QComboBox>("cboPort");
        int secondClicks = 0;
        std::optional<Qt::CursorShape> during;
        bool readersEnabled = true;
        QString shownDuring;
        connect(&rig.port, &SimulatedPort::actionTaken, this, [&](const QString &event) {
            if (event == QLatin1String("write 15") && secondClicks == 0) {
                ++secondClicks;
                if (QApplication::overrideCursor())
                    during = QApplication::overrideCursor()->shape();
                // Emptied first, then each part shown as it arrives: the ID is in, the totals not yet.
                shownDuring = rig.text("lblFirmwareIDData") + '|' + rig.text("lblTotalHrsData");
                readersEnabled = rig.find<QPushButton>("cmdPrint")->isEnabled()
                                 || rig.find<QPushButton>("cmdHistogram")->isEnabled()
                                 || rig.window->findChild<QAction *>(QStringLiteral("mnuPrintStat"))->isEnabled();
                rig.click("cmdReadStats");
                rig.click("cmdWriteUserData");
                rig.click("cmdClearData");
                rig.window->findChild<QAction *>(QStringLiteral("mnuEraseRPMLimitData"))->trigger();
                ports->setCurrentIndex(4);
                rig.window->showMinimized();
            }
        });
        rig.click("cmdReadStats");
        QCOMPARE(secondClicks, 1);
        QCOMPARE(shownDuring, QStringLiteral("RL-7.02|"));
        QCOMPARE(during, std::optional<Qt::CursorShape>(Qt::WaitCursor));  // busy while talking, not after
        QVERIFY(!QApplication::overrideCursor());
        // What reads the operation's result waits for it.
        QVERIFY(!readersEnabled && rig.find<QPushButton>("cmdPrint")->isEnabled()
                && rig.find<QPushButton>("cmdHistogram")->isEnabled());
        QCOMPARE(rig.trace.count(QStringLiteral("write 10")), 1);
        QCOMPARE(ports->currentText() + rig.text("lblTotalHrsData"), QStringLiteral("Com1141.66"));
        QVERIFY(rig.module.writes().isEmpty() && rig.prompt.shown().isEmpty() && !rig.link().isPortOpen());
    }

    // Long firmware IDs and device names in the firmware ID's field, and in one as wide but
    // a single line high.
    void showsBothEndsOfWhatDoesNotFit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("heightTwips");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("a long ID over the field's lines, whole")
            << "A&B Motorsport Marine Firmware 7.02 Build 2231 Rev C" << 732 << false;
        QTest::newRow("one line: the middle goes") << "A&B Motorsport Marine Firmware 7.02 Build 2231 Rev C" << 372 << true;
        QTest::newRow("longer than the lines hold")
            << QStringLiteral("A&B Motorsport Marine Firmware 7.02 Build 2231 Rev C ").repeated(4) + "SN-0042" << 732 << true;
        QTest::newRow("a stable device name, no blank to break at")
            << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3D4E5F6G7H8-if00-port0-with-a-long-tail" << 372 << true;
    }

    void showsBothEndsOfWhatDoesNotFit()
    {
        QFETCH(QString, text);
        QFETCH(int, heightTwips);
        QFETCH(bool, shortened);
        WindowRig rig;
        ElidingLabel &label = *rig.find<ElidingLabel>("lblFirmwareIDData");
        label.resize(label.width(), px(heightTwips));
        label.setFullText(text);

        const QStringList lines = label.text().split('\n');
        const QFontMetrics metrics(label.font());
        // Inside the frame and the indent QLabel keeps on the aligned side.
        const int room = label.contentsRect().width() - metrics.horizontalAdvance('x') / 2;
        QVERIFY2(lines.size() * metrics.lineSpacing() <= label.contentsRect().height(), qPrintable(label.text()));
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= room, qPrintable(line));
        QCOMPARE(label.isShortened(), shortened);
        const QString shown = lines.join(' ');
        if (shortened) {
            QVERIFY2(shown.startsWith(text.left(3)) && shown.endsWith(text.right(6)) && shown.contains(QChar(0x2026)),
                     qPrintable(shown));
        } else {
            QCOMPARE(QString(shown).remove(' '), QString(text).remove(' '));
        }
        QCOMPARE(label.toolTip(), shortened ? text : QString());
        QCOMPARE(label.accessibleDescription(), text);
    }

    void branding_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: none
        QTest::addColumn<QString>("shown");    // text, family, points, bold, italic, logo
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("answer");  // to every failure

        QTest::newRow("built-in") << QByteArray() << "Korvane Arial 48 11 logo" << QStringList{} << int(Box::Abort);
        QTest::newRow("BOLD in capitals, size with letters after, logo null")
            << QByteArray("Acme\nTimes\n12.5pt\nBOLD\nnull\n!\nA\n!\n!\n") << "Acme Times 12.5 10 " << QStringList{}
            << int(Box::Abort);
        QTest::newRow("no number keeps the design size, missing logo")
            << QByteArray("Acme\nArial\nbig\nitalic\nnone.gif\n!\nA\n!\n!\n") << "Acme Arial 48 01 "
            << QStringList{"File not found: "} << int(Box::Abort);
        QTest::newRow("missing lines answered Ignore keep their design values")
            << QByteArray("Acme\nArial\n10\n!\nA\n!\n!\n") << "Acme Arial 10 11 "
            << QStringList{"Subscript out of range", "Subscript out of range", "Subscript out of range"}
            << int(Box::Ignore);
    }

    void branding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        QFETCH(QStringList, messages);
        QFETCH(int, answer);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(file.isEmpty() || writeFile(path, file));
        QVERIFY(QFile::copy(QStringLiteral(RUNLOG_DOCS_DIR "/Korvane_Logo.gif"), dir.filePath("Korvane_Logo.gif")));
        ScriptedPrompt prompt;
        for (qsizetype i = 0; i < messages.size(); ++i)
            prompt.answer({Box::Answer(answer)});
        Configuration config;
        SplashWindow splash(config, prompt, path, dir.path());

        const QFont font = splash.companyName()->font();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4%5 %6")
                     .arg(splash.companyName()->text(), font.family())
                     .arg(font.pointSizeF())
                     .arg(int(font.bold()))
                     .arg(int(font.italic()))
                     .arg(splash.logo()->pixmap().isNull() ? "" : "logo"),
                 shown);
        QCOMPARE(prompt.shown().size(), messages.size());
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY2(prompt.texts()[i].startsWith(messages[i]), qPrintable(prompt.texts()[i]));
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
