#include "PrintSetup.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace PrintSetup {

bool show(QPrinter &printer, QWidget *parent)
{
    // The dialog works on a copy of the settings: Cancel leaves the printer as it was.
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QString::fromLatin1(Title));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    // It chooses a printer; printing is for the print commands.
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

void followDefaultPrinter(QPrinter &printer)
{
    printer.setOutputFileName(QString());
    // An empty name, when there is no printer, makes the printer a file printer without a file.
    printer.setPrinterName(QPrinterInfo::defaultPrinterName());
}

}  // namespace PrintSetup
