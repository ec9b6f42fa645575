#include "PortsController.h"

#include "ElidingLabel.h"
#include "MainWindow.h"
#include "PortPresenceDelegate.h"
#include "PortsDialog.h"
#include "link/LinkDiagnosis.h"
#include "link/ModuleFinder.h"
#include "link/ModuleLink.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"
#include "link/Prompt.h"
#include "link/StepRunner.h"
#include "link/UserAccount.h"
#include "session/ModuleSession.h"
#include "session/PortSettings.h"
#include "stats/ModuleOperations.h"

#include <QAction>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollBar>
#include <QSettings>

PortsController::PortsController(MainWindow &window, QComboBox &list, ElidingLabel &device, QAction &ports,
                                 QAction &findModule, ModuleSession &session)
    : QObject(&window), m_window(window), m_cboPort(&list), m_device(device), m_session(session)
{
    m_cboPort->setItemDelegate(new PortPresenceDelegate(m_cboPort));
    connect(m_cboPort, &QComboBox::currentIndexChanged, this, &PortsController::cboPort_Click);
    connect(&ports, &QAction::triggered, this, &PortsController::showPortsDialog);
    connect(&findModule, &QAction::triggered, this, &PortsController::findModule);
}

void PortsController::load(StepRunner &s)
{
    const int number = PortSettings::chosenNumber();
    {
        const QSignalBlocker block(m_cboPort);
        m_cboPort->clear();
        for (int n = 1; n <= PortCount; ++n)
            m_cboPort->addItem(PortNames::portLabel(n));
        m_cboPort->setCurrentIndex(-1);
    }
    s.step([&] {
        if (number < 1 || number > PortCount)
            return failed(QStringLiteral("Invalid property value"));
        m_cboPort->setCurrentIndex(number - 1);
        return succeeded();
    });
}

void PortsController::cboPort_Click(int index)
{
    if (index < 0)
        return;
    // The port cannot change under an operation that owns it.
    if (m_window.refuseWhileBusy()) {
        const QSignalBlocker block(m_cboPort);
        m_cboPort->setCurrentIndex(m_portIndex);
        return;
    }
    m_portIndex = index;
    m_device.setFullText(portDescription(index + 1));
    StepRunner s(m_session.prompt());
    s.operation([&] {
        const int number = index + 1;
        m_session.link().setCommPortNumber(number);
        s.step([&] {
            if (const auto why = PortSettings::choose(number))
                return failed(*why);
            return succeeded();
        });
        m_session.link().closePort();
    });
}

void PortsController::setDiscovery(PortDiscovery &discovery)
{
    m_discovery = &discovery;
    connect(&discovery, &PortDiscovery::changed, this, &PortsController::refresh);
    refresh();
}

QString PortsController::portDescription(int number) const
{
    // The simulated module answers on every entry, whatever the settings map them to.
    if (m_session.simulated() != ModuleSession::Simulated::No)
        return QString::fromLatin1(SimulatedText);
    const QString device = PortNames::deviceFor(number, QSettings());
    if (!m_discovery)
        return device;
    if (const SerialDevice *present = m_discovery->find(device))
        return present->label();
    return m_discovery->isPresent(device) ? device : device + QLatin1String(NotPresentSuffix);
}

bool PortsController::leadsToPresentDevice(int number) const
{
    if (m_session.simulated() != ModuleSession::Simulated::No)
        return true;
    return m_discovery && m_discovery->isPresent(PortNames::deviceFor(number, QSettings()));
}

void PortsController::refresh()
{
    if (m_discovery) {
        QSettings settings;
        PortNames::mapDetected(settings, m_discovery->devices());
    }
    // Entries that lead to a device present are marked in the list (and said so to a
    // screen reader); every entry's tooltip names its device. The texts stay "Com1" to
    // "Com255".
    for (int i = 0; i < m_cboPort->count(); ++i) {
        const bool present = leadsToPresentDevice(i + 1);
        m_cboPort->setItemData(i, portDescription(i + 1), Qt::ToolTipRole);
        m_cboPort->setItemData(i, present, PortPresenceDelegate::PresentRole);
        m_cboPort->setItemData(i, present ? m_cboPort->itemText(i) + QLatin1String(PortPresenceDelegate::PresentSuffix)
                                          : QVariant(),
                               Qt::AccessibleTextRole);
    }
    // The list opens wide enough for the marks, though the box itself is narrow.
    QAbstractItemView *list = m_cboPort->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width()
                          + 2 * list->frameWidth());
    if (m_cboPort->currentIndex() >= 0)
        m_device.setFullText(portDescription(m_cboPort->currentIndex() + 1));
}

void PortsController::showPortsDialog()
{
    PortDiscovery detected;
    PortsDialog dialog(m_discovery ? *m_discovery : detected, &m_window);
    connect(&dialog, &PortsDialog::mappingChanged, this, [this] {
        // As a pick in the list does: the next operation opens the port anew.
        if (!m_session.operations().busy())
            m_session.link().closePort();
        refresh();
    });
    dialog.exec();
}

void PortsController::findModule()
{
    if (m_window.refuseWhileBusy())
        return;
    Prompt &prompt = m_session.prompt();
    const QString title = QString::fromLatin1(FindTitle);
    // The simulated module answers on every port: the one chosen is as good as any.
    if (m_session.simulated() != ModuleSession::Simulated::No) {
        m_session.operations().exclusive([&] { m_session.link().readFirmwareID(); });
        prompt.message(QStringLiteral("Found the simulated module, firmware ID %1, on %2.")
                           .arg(m_session.link().firmwareID(), m_cboPort->currentText()),
                       title, Box::OkOnly | Box::Information);
        return;
    }
    PortDiscovery detected;
    const PortDiscovery &discovery = m_discovery ? *m_discovery : detected;
    const QList<SerialDevice> devices = discovery.devices();
    const QString advice = LinkDiagnosis::diagnose(devices, {}, UserAccount::current()).join(QStringLiteral("\n\n"));
    if (devices.isEmpty()) {
        prompt.message(QStringLiteral("No serial port is present.\n\n") + advice, title, Box::OkOnly | Box::Exclamation);
        return;
    }
    ModuleFinder::Result found;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_session.operations().exclusive([&] { found = ModuleFinder::find(devices, {}, &m_session.trace()); });
    QApplication::restoreOverrideCursor();
    const QString account = ModuleFinder::account(found).join(QLatin1Char('\n'));
    if (found.index < 0) {
        prompt.message(QStringLiteral("No module answered.\n\n%1\n\n%2").arg(account, advice), title,
                       Box::OkOnly | Box::Exclamation);
        return;
    }
    QSettings settings;
    PortNames::mapDetected(settings, {found.device});
    const int number = PortNames::numberFor(settings, found.device);
    m_cboPort->setCurrentIndex(number - 1);
    prompt.message(QStringLiteral("Found a module, firmware ID %1, on %2: %3.")
                       .arg(found.firmwareID, PortNames::portLabel(number), found.device.label()),
                   title, Box::OkOnly | Box::Information);
}
