#include "PortsDialog.h"

#include "CloseKeys.h"
#include "link/PortDiscovery.h"
#include "link/PortNames.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Port, Device, Adapter, ColumnCount };
}

PortsDialog::PortsDialog(const PortDiscovery &discovery, QWidget *parent)
    : QDialog(parent), m_discovery(discovery)
{
    setObjectName(QStringLiteral("portsDialog"));
    setWindowTitle(QStringLiteral("Ports"));
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("portsTable"));
    m_table->setAccessibleName(QStringLiteral("Ports and Their Devices"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("Adapter")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setTabKeyNavigation(false);  // one tab stop; the arrows move inside
    // A stable name differs from its neighbours at its end (the adapter's serial number):
    // a long one loses its middle, never its ends.
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->setWordWrap(false);
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionResizeMode(Port, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(Device, QHeaderView::Interactive);
    header->setSectionResizeMode(Adapter, QHeaderView::Stretch);

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
    auto *numberLabel = new QLabel(QStringLiteral("&Entry:"), this);
    numberLabel->setBuddy(m_number);
    auto *deviceLabel = new QLabel(QStringLiteral("De&vice:"), this);
    deviceLabel->setBuddy(m_device);
    m_number->setAccessibleName(QStringLiteral("Entry"));
    m_device->setAccessibleName(QStringLiteral("Device"));
    m_device->lineEdit()->setAccessibleName(QStringLiteral("Device"));  // where the path is typed
    auto *assignButton = new QPushButton(QStringLiteral("&Assign"), this);
    auto *removeButton = new QPushButton(QStringLiteral("&Remove"), this);
    connect(assignButton, &QPushButton::clicked, this,
            [this] { assign(m_number->currentIndex() + 1, m_device->currentText().trimmed()); });
    connect(removeButton, &QPushButton::clicked, this, [this] { assign(m_number->currentIndex() + 1, QString()); });
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) {
            m_number->setCurrentIndex(PortNames::parsePortNumber(m_table->item(row, Port)->text()) - 1);
            m_device->setCurrentText(m_table->item(row, Device)->text());
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    CloseKeys::install(*this, [this] { reject(); });

    auto *edit = new QHBoxLayout;
    edit->addWidget(numberLabel);
    edit->addWidget(m_number);
    edit->addWidget(deviceLabel);
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
        const SerialDevice *found = m_discovery.find(device);
        if (!mapped && !found)
            continue;
        const QString adapter = found                           ? found->label()
                                : m_discovery.isPresent(device) ? QStringLiteral("present")
                                                                : QStringLiteral("not present");
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const QStringList texts{PortNames::portLabel(n), device, adapter};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            item->setToolTip(texts[c]);  // the whole name where the column shortens it
            m_table->setItem(row, c, item);
        }
    }
    // The device column as wide as its longest name, up to half the window; the adapter
    // column takes the rest, after every Assign too.
    m_table->resizeColumnToContents(Device);
    m_table->setColumnWidth(Device, qMin(m_table->columnWidth(Device), width() / 2));
}
