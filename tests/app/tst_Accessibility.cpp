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
// The controls a user reaches: whatever takes the focus, a value field under a caption,
// anything that carries a value as its description. Cells are the tables' business, and
// tabs their tab bar's (each is named by its text). Each is named, in one line, by what it
// is rather than what it shows, and no two alike (an editable list's text field is a part
// of its list).
void findNamingFaults(QAccessibleInterface *iface, QStringList &faults, QStringList &names, bool inComboBox = false)
{
    if (!iface || iface->state().invisible)
        return;
    static const QList<QAccessible::Role> parts{QAccessible::Cell, QAccessible::ColumnHeader, QAccessible::RowHeader,
                                                QAccessible::ListItem, QAccessible::TreeItem, QAccessible::MenuItem,
                                                QAccessible::PageTab};
    if (parts.contains(iface->role()))
        return;
    const QString description = iface->text(QAccessible::Description);
    // Whether a QLabel names the control (its buddy). Every widget inside a titled group box
    // is also "labelled" by the box, which says nothing about the control.
    const auto labels = iface->relations(QAccessible::Label);
    const bool captioned = std::any_of(labels.begin(), labels.end(),
                                       [](const auto &r) { return r.first && qobject_cast<QLabel *>(r.first->object()); });
    if (iface->state().focusable || captioned || !description.isEmpty()) {
        const QObject *object = iface->object();
        const QString who = object && !object->objectName().isEmpty() ? object->objectName()
                            : object ? QLatin1String(object->metaObject()->className())
                                     : QString::number(int(iface->role()), 16);
        const QString name = iface->text(QAccessible::Name);
        if (name.trimmed().isEmpty())
            faults << who + QStringLiteral(" has no name");
        if (name.contains(QLatin1Char('\n')))
            faults << who + QStringLiteral("'s name has a line break");
        if (!description.isEmpty() && name == description)
            faults << who + QStringLiteral(" is named by its value");
        if (!inComboBox && !name.isEmpty() && names.contains(name))
            faults << QStringLiteral("two controls are named \"%1\"").arg(name);
        names << name;
    }
    for (int i = 0; i < iface->childCount(); ++i)
        findNamingFaults(iface->child(i), faults, names, iface->role() == QAccessible::ComboBox);
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

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

#define EXPECT_NONE(list) QVERIFY2((list).isEmpty(), qPrintable((list).join(QStringLiteral("; "))))

QStringList faults(QWidget *window)
{
    QStringList faults, names;
    findNamingFaults(QAccessible::queryAccessibleInterface(window), faults, names);
    if (names.isEmpty())
        faults << QStringLiteral("no control found");
    return faults + keylessCommands(window);
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

    // Each window named for a screen reader and reached from the keyboard without Tab; one
    // Tab leaves a table, the arrows move inside it; Escape and Ctrl+W close a tool window.
    void windows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("table");  // the table's object name, empty for any, "-" for none
        QTest::newRow("main window") << "main" << "msgHoursLow";
        QTest::newRow("chart") << "chart" << "-";
        QTest::newRow("Ports") << "ports" << "";
        QTest::newRow("Logbook, holding both downloads") << "logbook" << "logbookTable";
        QTest::newRow("Help") << "help" << "-";
    }

    void windows()
    {
        QFETCH(QString, window);
        QFETCH(QString, table);
        Rig rig;
        ChartWindow chart(rig.shown(), QStringLiteral("Korvane"), rig.prompt, rig.window.get());
        chart.setModal(false);
        HelpWindow help(QStringLiteral("/nonexistent/Runlog_Help.html"), rig.window.get());
        PortsDialog ports(rig.nothing, rig.window.get());
        LogbookDialog logbook(rig.session.logbook(), rig.prompt, rig.window.get());
        QWidget *shown = window == "help"      ? static_cast<QWidget *>(&help)
                         : window == "chart"   ? static_cast<QWidget *>(&chart)
                         : window == "ports"   ? static_cast<QWidget *>(&ports)
                         : window == "logbook" ? static_cast<QWidget *>(&logbook)
                                               : rig.window.get();
        QVERIFY(activate(shown));
        EXPECT_NONE(faults(shown));
        if (table != "-") {
            auto *t = shown->findChild<QTableWidget *>(table.isEmpty() ? QString() : table);
            QVERIFY(t && t->rowCount() >= 2);
            t->setFocus();
            t->setCurrentCell(0, 0);
            QTest::keyClick(t, Qt::Key_Down);
            QCOMPARE(QApplication::focusWidget(), t);
            QTest::keyClick(t, Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != t);
        }
        if (window == "main" || window == "chart")
            return;
        for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            QVERIFY(activate(shown));
            QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : shown, key);
            QVERIFY2(!shown->isVisible(), qPrintable(key.toString()));
        }
    }

    // A box is named and keyed like a window, and Escape takes the way out it offers; an
    // error offers none but Abort, never Ignore, which would skip the failed step and go on.
    void boxes()
    {
        // Each box's buttons with the answer Escape gives; -1: the rebuild confirmation's text
        // box, which Escape leaves with no answer.
        const std::pair<int, Box::Answer> escapes[] = {
            {-1, Box::Cancel},          {Box::OkOnly, Box::Ok},        {Box::OkCancel, Box::Cancel},
            {Box::AbortRetryIgnore, Box::Abort}, {Box::YesNoCancel, Box::Cancel}, {Box::YesNo, Box::No},
            {Box::RetryCancel, Box::Cancel}};
        QWidget parent;
        for (const auto &[buttons, escaped] : escapes) {
            QStringList found{QStringLiteral("no box came up")};
            QTimer::singleShot(0, &parent, [&] {
                if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    found = faults(box);
                    QTest::keyClick(box, Qt::Key_Escape);
                    if (box->isVisible()) {
                        found << QStringLiteral("Escape left the box open");
                        box->done(QDialog::Rejected);
                    }
                }
            });
            DialogPrompt prompt(&parent);
            if (buttons < 0)
                QVERIFY(!prompt.input(ModuleOperations::RebuildPrompt, ModuleOperations::RebuildTitle, QStringLiteral("No")));
            else
                QCOMPARE(prompt.message(ModuleOperations::ReadIdFailedText, QString(), buttons), escaped);
            EXPECT_NONE(found);
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

private:
    QTemporaryDir m_logbookDir;
};

QTEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
