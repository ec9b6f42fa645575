#pragma once

class QPrinter;
class QWidget;

// "Print Setup": the platform's printer dialog, titled "Printer Setup", which chooses the
// printer (on Linux also printing to a PDF file) and its page settings for every later
// printout. Cancel changes nothing.
namespace PrintSetup {
inline constexpr char Title[] = "Printer Setup";
void show(QPrinter &printer, QWidget *parent);
}  // namespace PrintSetup
