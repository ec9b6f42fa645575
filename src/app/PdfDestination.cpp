#include "PdfDestination.h"

#include "files/OutputFile.h"
#include "link/Prompt.h"

#include <QFileInfo>
#include <QPrinter>

namespace PdfDestination {

QStringList files(const QPrinter &printer, int documents)
{
    QStringList out;
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return out;
    for (int i = 0; i < documents; ++i)
        out << OutputFile::numbered(printer.outputFileName(), i);
    return out;
}

bool mayReplace(const QStringList &files, Prompt &prompt)
{
    QStringList existing;
    for (const QString &file : files)
        if (QFileInfo::exists(file))
            existing << file;
    if (existing.isEmpty())
        return true;
    const QString text = existing.size() == 1
                             ? QStringLiteral("%1 already exists.\n\nReplace it? No keeps it, and File > Print Setup "
                                              "chooses another file.")
                                   .arg(existing.first())
                             : QStringLiteral("These files already exist:\n%1\n\nReplace them? No keeps them, and File > "
                                              "Print Setup chooses other files.")
                                   .arg(existing.join(QLatin1Char('\n')));
    return prompt.message(text, QString::fromLatin1(ReplaceTitle), Box::YesNo | Box::Question | Box::DefaultButton2)
           == Box::Yes;
}

QString doneText(const QPrinter &printer, const QStringList &files)
{
    if (files.isEmpty())
        return QStringLiteral("Sent to the printer %1.").arg(printer.printerName());
    return QStringLiteral("Printed to %1.").arg(files.join(QStringLiteral(" and ")));
}

}  // namespace PdfDestination
