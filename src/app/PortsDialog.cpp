#include "PortsDialog.h"

#include "link/PortDiscovery.h"
#include "link/PortNames.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

PortsDialog::PortsDialog(const PortDiscovery &discovery, QWidget *parent)
    : QDialog(parent), m_discovery(discovery)
{
    setObjectName(QStringLiteral("portsDialog"));
    setWindowTitle(QStringLiteral("Ports"));
    m_table = new QTableWidget(0, 3, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("Adapter")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_number = new QComboBox(this);
    m_number->setObjectName(QStringLiteral("portNumber"));
    for (int n = 1; n <= PortNames::LastNumber; ++n)
        m_number->addItem(PortNames::portLabel(n));
    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("portDevice"));
    m_device->setEditable(true);  // any path, or a detected device
    m_device->setMinimumContentsLength(40);
    for (const SerialDevice &d : m_discovery.devices())
        m_device->addItem(d.mappedName());
    auto *assignButton = new QPushButton(QStringLiteral("&Assign"), this);
    auto *removeButton = new QPushButton(QStringLiteral("&Remove"), this);
    connect(assignButton, &QPushButton::clicked, this,
            [this] { assign(m_number->currentIndex() + 1, m_device->currentText().trimmed()); });
    connect(removeButton, &QPushButton::clicked, this, [this] { assign(m_number->currentIndex() + 1, QString()); });
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) {
            m_number->setCurrentIndex(PortNames::parsePortNumber(m_table->item(row, 0)->text()) - 1);
            m_device->setCurrentText(m_table->item(row, 1)->text());
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *edit = new QHBoxLayout;
    edit->addWidget(m_number);
    edit->addWidget(m_device, 1);
    edit->addWidget(assignButton);
    edit->addWidget(removeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(edit);
    layout->addWidget(buttons);
    resize(720, 360);
    refresh();
}

void PortsDialog::assign(int number, const QString &device)
{
    QSettings settings;
    const QString key = QStringLiteral("Ports/") + PortNames::portLabel(number);
    if (device.isEmpty())
        settings.remove(key);
    else
        settings.setValue(key, device);
    refresh();
    Q_EMIT mappingChanged();
}

void PortsDialog::refresh()
{
    const QSettings settings;
    m_table->setRowCount(0);
    for (int n = 1; n <= PortNames::LastNumber; ++n) {
        const bool mapped = settings.contains(QStringLiteral("Ports/") + PortNames::portLabel(n));
        const QString device = PortNames::deviceFor(n, settings);
        const SerialDevice *present = m_discovery.find(device);
        if (!mapped && !present)
            continue;
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        m_table->setItem(row, 0, new QTableWidgetItem(PortNames::portLabel(n)));
        m_table->setItem(row, 1, new QTableWidgetItem(device));
        m_table->setItem(row, 2, new QTableWidgetItem(present ? present->label() : QStringLiteral("not present")));
    }
    m_table->resizeColumnsToContents();
}
