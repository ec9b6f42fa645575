#include "WorkshopDialog.h"

#include "reports/Workshop.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

WorkshopDialog::WorkshopDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("workshopDialog"));
    setWindowTitle(QStringLiteral("Workshop Details"));
    QSettings settings;
    const Workshop workshop = Workshop::fromSettings(settings);

    m_name = new QLineEdit(workshop.name, this);
    m_name->setObjectName(QStringLiteral("workshopName"));
    m_address = new QPlainTextEdit(workshop.address, this);
    m_address->setObjectName(QStringLiteral("workshopAddress"));
    m_address->setTabChangesFocus(true);
    m_address->setFixedHeight(m_address->fontMetrics().lineSpacing() * 4 + 12);
    m_phone = new QLineEdit(workshop.phone, this);
    m_phone->setObjectName(QStringLiteral("workshopPhone"));
    m_logo = new QLineEdit(workshop.logo, this);
    m_logo->setObjectName(QStringLiteral("workshopLogo"));
    auto *browse = new QPushButton(QStringLiteral("&Browse..."), this);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("workshopLogoPreview"));
    m_preview->setMinimumHeight(64);

    auto *logoRow = new QHBoxLayout;
    logoRow->addWidget(m_logo, 1);
    logoRow->addWidget(browse);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(QStringLiteral("&Address:"), m_address);
    form->addRow(QStringLiteral("&Telephone:"), m_phone);
    form->addRow(QStringLiteral("&Logo (optional):"), logoRow);
    form->addRow(QString(), m_preview);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Service reports carry these details as their letterhead."), this));
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &WorkshopDialog::browse);
    connect(m_logo, &QLineEdit::textChanged, this, &WorkshopDialog::showLogo);
    connect(buttons, &QDialogButtonBox::accepted, this, &WorkshopDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showLogo(workshop.logo);
    resize(520, sizeHint().height());
}

void WorkshopDialog::showLogo(const QString &path)
{
    if (path.isEmpty()) {
        m_preview->setText(QStringLiteral("No logo."));
        return;
    }
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        m_preview->setText(QStringLiteral("This file holds no image the report can show: %1.").arg(reader.errorString()));
        return;
    }
    m_preview->setPixmap(QPixmap::fromImage(image.scaled(240, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void WorkshopDialog::browse()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Logo"), m_logo->text(),
                                                      QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp *.svg)"));
    if (!path.isEmpty())
        m_logo->setText(path);
}

void WorkshopDialog::accept()
{
    QSettings settings;
    Workshop{m_name->text().trimmed(), m_address->toPlainText().trimmed(), m_phone->text().trimmed(), m_logo->text().trimmed()}
        .save(settings);
    QDialog::accept();
}
