#pragma once

class QPrinter;
class QWidget;

// "Print Setup": the platform's printer dialog, titled "Printer Setup", which chooses the
// printer (on Linux also printing to a PDF file) and its page settings for every later
// printout. Cancel changes nothing.
namespace PrintSetup {
inline constexpr char Title[] = "Printer Setup";
// True when the user chose with OK; a set-up dialog, it prints nothing.
bool show(QPrinter &printer, QWidget *parent);
// Points the printer at the system's default printer of this moment; with none at all,
// at nothing, so that a printout reports that no printer is installed.
void followDefaultPrinter(QPrinter &printer);
}  // namespace PrintSetup
