#include "Configuration.h"

#include "link/StepRunner.h"
#include "stats/Windows1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

Configuration Configuration::builtIn()
{
    Configuration c;
    c.BrandingLines = {QStringLiteral("Korvane"), QStringLiteral("Arial"), QStringLiteral("48"),
                       QStringLiteral("bold italic"), QStringLiteral("Korvane_Logo.gif")};
    c.MakerLines = {QStringLiteral("Korvane"),
                    QStringLiteral("Korvane Ignition Systems"),
                    QStringLiteral("Unit 4, Harbour Works"),
                    QStringLiteral("Quay Road"),
                    QStringLiteral("Port Ellery PE7 2RD"),
                    QStringLiteral("Telephone 01632 960418")};
    return c;
}

QString Configuration::notice()
{
    return QStringLiteral("© 2026 Runlog developers. GPLv3+");
}

QString Configuration::programFolder()
{
    const QDir beside(QCoreApplication::applicationDirPath());
    if (beside.exists(QStringLiteral("Runlog_Help.html")))
        return beside.path();
    const QDir installed(beside.filePath(QStringLiteral(RUNLOG_DATA_RELATIVE)));
    return installed.exists() ? installed.canonicalPath() : beside.path();
}

QString Configuration::defaultPath()
{
    const QString own = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("Runlog/Runlog.cfg"));
    return own.isEmpty() ? QDir(programFolder()).filePath(QStringLiteral("Runlog.cfg")) : own;
}

void Configuration::read(const QString &path, StepRunner &s, Configuration &into)
{
    if (!QFile::exists(path)) {
        const Configuration b = builtIn();
        into.BrandingLines = b.BrandingLines;
        into.MakerLines = b.MakerLines;
        return;
    }
    QFile file(path);
    s.step([&] {
        // A folder, a FIFO or a device would block the read or make no sense of it.
        if (!QFileInfo(path).isFile())
            return failed(QStringLiteral("%1 is not a file.").arg(path));
        return file.open(QIODevice::ReadOnly) ? succeeded() : failed(file.errorString());
    });

    // A failed read leaves the previous line in place, which Ignore then uses again.
    QString line;
    const auto readLine = [&] {
        s.step([&] {
            if (!file.isOpen())
                return failed(QStringLiteral("Bad file name or number"));
            if (file.atEnd())
                return failed(QStringLiteral("Input past end of file"));
            QByteArray bytes = file.readLine();
            while (bytes.endsWith('\n') || bytes.endsWith('\r'))
                bytes.chop(1);
            line = Windows1252::decode(bytes);
            return succeeded();
        });
    };
    const auto isMarker = [&] { return line.startsWith(QLatin1Char('!')); };
    const auto section = [&](QStringList &list) {
        for (readLine(); !isMarker(); readLine())
            list << line;
    };

    do
        readLine();
    while (isMarker());
    into.BrandingLines << line;
    section(into.BrandingLines);
    section(into.MakerLines);
    section(into.ConfigLines);
    file.close();
}

double Configuration::leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[ \\t]*([+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+))"));
    const auto match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

Features Features::fromConfigLines(const QStringList &configLines)
{
    Features f;
    for (const QString &line : configLines) {
        if (line == QLatin1String("Status_Display_True"))
            f.StatusDisplayEnabled = true;
        if (line == QLatin1String("Clear_Break_In_Limit_Enable_True"))
            f.ClearBreakInLimitEnabled = true;
    }
    return f;
}
