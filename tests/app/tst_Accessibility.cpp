#include "app/DialogPrompt.h"
#include "app/HelpWindow.h"
#include "app/LogbookDialog.h"
#include "app/PortsDialog.h"
#include "link/PortDiscovery.h"
#include "printing/ChartWindow.h"
#include "stats/ModuleOperations.h"
#include "support/WindowRig.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// A control as a screen reader meets it: what it is called, what it holds.
struct Control {
    QString who;  // object name or role, for the message
    QString name;
    QString description;
    bool partOfComboBox = false;
};

// Whether a QLabel names the control (its buddy). Every widget inside a titled group box
// is also "labelled" by the box, which says nothing about the control.
bool labelledByCaption(QAccessibleInterface *iface)
{
    const auto relations = iface->relations(QAccessible::Label);
    return std::any_of(relations.begin(), relations.end(),
                       [](const auto &r) { return r.first && qobject_cast<QLabel *>(r.first->object()); });
}

// The controls a user reaches: whatever takes the focus, a value field under a caption,
// anything that carries a value as its description. Cells are the tables' business, and
// tabs their tab bar's (each is named by its text).
void collect(QAccessibleInterface *iface, QList<Control> &out, bool inComboBox = false)
{
    if (!iface || iface->state().invisible)
        return;
    static const QList<QAccessible::Role> parts{QAccessible::Cell, QAccessible::ColumnHeader, QAccessible::RowHeader,
                                                QAccessible::ListItem, QAccessible::TreeItem, QAccessible::MenuItem,
                                                QAccessible::PageTab};
    if (parts.contains(iface->role()))
        return;
    const QString description = iface->text(QAccessible::Description);
    if (iface->state().focusable || labelledByCaption(iface) || !description.isEmpty()) {
        const QObject *object = iface->object();
        out << Control{object && !object->objectName().isEmpty() ? object->objectName()
                       : object                                  ? QLatin1String(object->metaObject()->className())
                                                                 : QString::number(int(iface->role()), 16),
                       iface->text(QAccessible::Name), description, inComboBox};
    }
    for (int i = 0; i < iface->childCount(); ++i)
        collect(iface->child(i), out, iface->role() == QAccessible::ComboBox);
}

// Each control named, in one line, by what it is rather than what it shows, and no two
// alike (an editable list's text field is a part of its list).
QStringList namingFaults(QWidget *window)
{
    QList<Control> controls;
    collect(QAccessible::queryAccessibleInterface(window), controls);
    QStringList faults;
    QStringList names;
    for (const Control &c : controls) {
        if (c.name.trimmed().isEmpty())
            faults << QStringLiteral("%1 has no name").arg(c.who);
        if (c.name.contains(QLatin1Char('\n')))
            faults << QStringLiteral("%1's name has a line break").arg(c.who);
        if (!c.description.isEmpty() && c.name == c.description)
            faults << QStringLiteral("%1 is named by its value").arg(c.who);
        if (!c.partOfComboBox && !c.name.isEmpty() && names.contains(c.name))
            faults << QStringLiteral("two controls are named \"%1\"").arg(c.name);
        names << c.name;
    }
    if (controls.isEmpty())
        faults << QStringLiteral("no control found");
    return faults;
}

// Every command reached from the keyboard without Tab: an access key, a shortcut, or
// Enter and Escape for a dialog's default and its way out.
QStringList keylessCommands(QWidget *window)
{
    QStringList keyless;
    for (const QMenu *menu : window->findChildren<QMenu *>())
        for (const QAction *action : menu->actions())
            if (!action->isSeparator() && QKeySequence::mnemonic(action->text()).isEmpty() && action->shortcut().isEmpty())
                keyless << action->text();
    for (QDialogButtonBox *box : window->findChildren<QDialogButtonBox *>())
        for (QAbstractButton *button : box->buttons()) {
            const auto *push = qobject_cast<QPushButton *>(button);
            const auto *message = qobject_cast<QMessageBox *>(window);
            const bool escape = message ? message->escapeButton() == button
                                        : box->buttonRole(button) == QDialogButtonBox::RejectRole;
            if (QKeySequence::mnemonic(button->text()).isEmpty() && !(push && push->isDefault()) && !escape)
                keyless << button->text();
        }
    return keyless;
}

// What a dialog's check finds, run while DialogPrompt has the box up; Escape then closes it.
QStringList whileShown(const std::function<void(Prompt &)> &ask, QWidget *parent,
                       const std::function<QStringList(QWidget *)> &check)
{
    QStringList found{QStringLiteral("no box came up")};
    QTimer::singleShot(0, parent, [&] {
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            found = check(box);
            QTest::keyClick(box, Qt::Key_Escape);
            if (box->isVisible()) {
                found << QStringLiteral("Escape left the box open");
                box->done(QDialog::Rejected);
            }
        }
    });
    DialogPrompt prompt(parent);
    ask(prompt);
    return found;
}

#define EXPECT_NONE(faults)                                                                                          \
    do {                                                                                                      \
        const QStringList found = (faults);                                                                   \
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));                              \
    } while (false)

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}
}  // namespace

// The windows through the accessibility interfaces a screen reader uses, and from the
// keyboard alone.
class tst_Accessibility : public QObject {
    Q_OBJECT

    // The main window after a download, with its ports and its logbook holding two.
    struct Rig : WindowRig {
        Rig() : WindowRig(true, QStringLiteral("echo-full.bin"), {QStringLiteral("Status_Display_True")})
        {
            QSettings().setValue(QStringLiteral("Ports/Com3"), QStringLiteral("/dev/serial/by-id/usb-FTDI_A1-if00-port0"));
            QSettings().setValue(QStringLiteral("Ports/Com4"), QStringLiteral("/dev/ttyUSB7"));
            click("cmdReadStats");
            click("cmdReadStats");
            window->show();
        }
        PortDiscovery nothing{QStringLiteral("/nonexistent"), QStringLiteral("/nonexistent")};
    };

private Q_SLOTS:
    void initTestCase()
    {
        useTestSettings();
        QSettings().setValue(QStringLiteral("Logbook/File"), m_logbookDir.filePath(QStringLiteral("logbook.sqlite")));
    }

    // Named for a screen reader, and reached from the keyboard without Tab; a box left with
    // Escape.
    void everyControlIsNamedAndEveryCommandHasAKey()
    {
        const auto faults = [](QWidget *w) { return namingFaults(w) + keylessCommands(w); };
        Rig rig;
        EXPECT_NONE(faults(rig.window.get()));

        ChartWindow chart(rig.shown(), QStringLiteral("Korvane"), rig.prompt, rig.window.get());
        chart.setModal(false);
        chart.show();
        EXPECT_NONE(faults(&chart));

        PortsDialog ports(rig.nothing, rig.window.get());
        ports.show();
        EXPECT_NONE(faults(&ports));

        LogbookDialog logbook(rig.session.logbook(), rig.prompt, rig.window.get());
        logbook.show();
        QVERIFY(logbook.table()->rowCount() >= 2);
        EXPECT_NONE(faults(&logbook));

        HelpWindow help(QStringLiteral("/nonexistent/Runlog_Help.html"), rig.window.get());
        help.show();
        EXPECT_NONE(faults(&help));

        const auto rebuild = [](Prompt &p) {
            p.input(ModuleOperations::RebuildPrompt, ModuleOperations::RebuildTitle, QStringLiteral("No"));
        };
        EXPECT_NONE(whileShown(rebuild, rig.window.get(), faults));
        // Escape is the way out a box offers; an error offers none but Abort, never Ignore,
        // which would skip the failed step and go on.
        const std::pair<int, Box::Answer> escapes[] = {{Box::OkOnly, Box::Ok},        {Box::OkCancel, Box::Cancel},
                                                       {Box::AbortRetryIgnore, Box::Abort}, {Box::YesNoCancel, Box::Cancel},
                                                       {Box::YesNo, Box::No},          {Box::RetryCancel, Box::Cancel}};
        for (const auto &[buttons, escaped] : escapes) {
            std::optional<Box::Answer> answer;
            const auto message = [&](Prompt &p) { answer = p.message(ModuleOperations::ReadIdFailedText, QString(), buttons); };
            EXPECT_NONE(whileShown(message, rig.window.get(), faults));
            QCOMPARE(answer, std::optional(escaped));
        }
    }

    // A screen reader gives each value of a band table with its band and its row.
    void bandValuesComeWithTheirBands()
    {
        Rig rig;
        for (const char *grid : {"msgHoursLow", "msgHoursHigh", "msgTempHours"}) {
            QAccessibleInterface *table = QAccessible::queryAccessibleInterface(rig.find<QTableWidget>(grid));
            QVERIFY(table && table->tableInterface());
            QStringList heard;
            QStringList expected;
            for (int c = 1; c < 8; ++c) {
                const QString band = rig.cell(grid, c, 0).trimmed();
                if (band.isEmpty())
                    continue;  // the high table's last column holds no band
                QAccessibleTableCellInterface *cell = table->tableInterface()->cellAt(1, c)->tableCellInterface();
                // Qt makes the header cells' interfaces afresh for each call, unregistered: a screen
                // reader's bridge registers them, and so does this, to free them.
                const auto names = [](const QList<QAccessibleInterface *> &headers) {
                    const QString name = headers.isEmpty() ? QString() : headers.first()->text(QAccessible::Name);
                    for (QAccessibleInterface *header : headers)
                        QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
                    return name;
                };
                heard << names(cell->columnHeaderCells()) + '/' + names(cell->rowHeaderCells()) + ": "
                             + table->tableInterface()->cellAt(1, c)->text(QAccessible::Name);
                expected << band + "/Hours: " + rig.cell(grid, c);
            }
            QCOMPARE(heard, expected);
        }
    }

    // One Tab leaves a table, the arrows move inside it; Escape and Ctrl+W close a tool window.
    void keyboard_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main window") << "main";
        QTest::newRow("Ports") << "ports";
        QTest::newRow("Logbook") << "logbook";
        QTest::newRow("Help") << "help";
    }

    void keyboard()
    {
        QFETCH(QString, window);
        Rig rig;
        HelpWindow help(QStringLiteral("/nonexistent/Runlog_Help.html"), rig.window.get());
        PortsDialog ports(rig.nothing, rig.window.get());
        LogbookDialog logbook(rig.session.logbook(), rig.prompt, rig.window.get());
        QWidget *shown = window == "help"      ? static_cast<QWidget *>(&help)
                         : window == "ports"   ? static_cast<QWidget *>(&ports)
                         : window == "logbook" ? static_cast<QWidget *>(&logbook)
                                               : rig.window.get();
        QVERIFY(activate(shown));
        if (window != "help") {
            auto *table = window == "main" ? rig.find<QTableWidget>("msgHoursLow")
                                           : shown->findChild<QTableWidget *>(window == "logbook" ? QStringLiteral("logbookTable") : QString());
            QVERIFY(table && table->rowCount() >= 2);
            table->setFocus();
            table->setCurrentCell(0, 0);
            QTest::keyClick(table, Qt::Key_Down);
            QCOMPARE(QApplication::focusWidget(), table);
            QTest::keyClick(table, Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != table);
        }
        if (window == "main")
            return;
        for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            QVERIFY(activate(shown));
            QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : shown, key);
            QVERIFY2(!shown->isVisible(), qPrintable(key.toString()));
        }
    }

private:
    QTemporaryDir m_logbookDir;
};

QTEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
