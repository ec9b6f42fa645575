#include "PrintSetup.h"

#include <QPrintDialog>
#include <QPrinter>

namespace PrintSetup {

void show(QPrinter &printer, QWidget *parent)
{
    // The dialog works on a copy of the settings: Cancel leaves the printer as it was.
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QString::fromLatin1(Title));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    dialog.exec();
}

}  // namespace PrintSetup
