#pragma once

#include "stats/Features.h"

#include <QStringList>

class StepRunner;

// What Runlog.cfg supplies: the splash banner, the maker's lines and the option lines.
// Written once at start-up, only read afterwards.
struct Configuration {
    QStringList BrandingLines;
    QStringList MakerLines;
    QStringList ConfigLines;

    static Configuration builtIn();
    static QString notice();  // the notice line of the splash and the About box
    // The folder of the program's own files (help, logo, Runlog.cfg): beside the program
    // when it runs from its build folder, its data folder (share/runlog) when installed.
    static QString programFolder();
    // The user's own Runlog.cfg in the configuration folder when there is one, else the
    // program's.
    static QString defaultPath();

    // Reads the file into the lists as the splash does, each line read one step of the
    // runner: a file that ends too early asks Abort/Retry/Ignore. A missing file gives the
    // built-in lists.
    static void read(const QString &path, StepRunner &runner, Configuration &into);

    // The number a text begins with (leading blanks skipped), 0 when there is none:
    // "12.5pt" is 12.5.
    static double leadingNumber(const QString &text);
};
