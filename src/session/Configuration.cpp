#include "Configuration.h"

#include "link/StepRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>

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

    // The file is written in the Windows-1252 code page, as the module's own tools write it.
    // Qt knows it through ICU; without ICU, Latin-1 is the nearest it has.
    QStringDecoder codePage("windows-1252");
    if (!codePage.isValid())
        codePage = QStringDecoder(QStringDecoder::Latin1);
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
            line = codePage.decode(bytes);
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
