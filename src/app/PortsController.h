#pragma once

#include <QObject>

class ElidingLabel;
class MainWindow;
class ModuleSession;
class PortDiscovery;
class QAction;
class QComboBox;
class StepRunner;

// The port choice beside the main window's form: the Com1..Com255 list with the device
// each entry leads to, the serial devices present (detected adapters get a number),
// Tools > Ports... and Tools > Find Module. A choice is kept for the next start and
// takes effect at the next operation.
class PortsController : public QObject {
    Q_OBJECT
public:
    PortsController(MainWindow &window, QComboBox &list, ElidingLabel &device, QAction &ports, QAction &findModule,
                    ModuleSession &session);

    // Fills the list and selects the stored port, as steps of the window's load.
    void load(StepRunner &steps);
    // The serial devices present: the list shows which entries lead to one.
    void setDiscovery(PortDiscovery &discovery);
    // The device behind a port entry, as the list's tooltip and the label under it show it.
    QString portDescription(int number) const;
    // Whether the entry leads to a device that is there: the list marks it so.
    bool leadsToPresentDevice(int number) const;

    static constexpr int PortCount = 255;
    static constexpr char SimulatedText[] = "Simulated module (demo)";
    static constexpr char NotPresentSuffix[] = " (not present)";
    static constexpr char FindTitle[] = "Find Module";

private:
    void cboPort_Click(int index);
    void refresh();
    void showPortsDialog();
    void findModule();

    MainWindow &m_window;
    QComboBox *m_cboPort;
    ElidingLabel &m_device;
    ModuleSession &m_session;
    PortDiscovery *m_discovery = nullptr;
    int m_portIndex = -1;
};
