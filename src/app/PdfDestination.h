#pragma once

#include <QStringList>

class Prompt;
class QPrinter;

// Printing to a PDF file, as Print Setup may choose: the files a printout is about to
// write, a question before one that exists is replaced (the same name is chosen once and
// printed to again and again), and where the printout went, once it has.
namespace PdfDestination {

inline constexpr char ReplaceTitle[] = "Print to File";

// The files a printout of that many documents writes; none when it goes to a printer.
QStringList files(const QPrinter &printer, int documents);
// Whether the printout may go ahead: no file of it exists, or the user agreed to
// replace them.
bool mayReplace(const QStringList &files, Prompt &prompt);
// Where a printout that went through went: its files, or the printer.
QString doneText(const QPrinter &printer, const QStringList &files);

}  // namespace PdfDestination
