#pragma once

#include <QDialog>

class PortDiscovery;
class QComboBox;
class QTableWidget;

// Tools > Ports...: which Com entry leads to which device, present or not; a detected
// device or any path can be given to an entry, and a mapping removed. Every change is
// written to the settings at once and takes effect at the next operation.
class PortsDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortsDialog(const PortDiscovery &discovery, QWidget *parent = nullptr);

    // Gives Com number the device path; an empty path removes the mapping.
    void assign(int number, const QString &device);

Q_SIGNALS:
    void mappingChanged();

private:
    void refresh();

    const PortDiscovery &m_discovery;
    QTableWidget *m_table;
    QComboBox *m_number;
    QComboBox *m_device;
};
