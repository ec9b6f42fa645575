#include "OutputFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace OutputFile {

std::optional<QString> refusal(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("no file name given");
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? std::optional(QStringLiteral("%1 is a link to nothing").arg(path)) : std::nullopt;
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a file").arg(path);
    if (!info.isFile())
        return QStringLiteral("%1 is not a regular file (a device, a FIFO or a socket)").arg(path);
    return std::nullopt;
}

std::optional<QString> write(const QString &path, const QByteArray &bytes)
{
    if (const auto why = refusal(path))
        return why;
    QSaveFile file(path);
    // Unbuffered, so that a disk that refuses the bytes says so at the write: buffered, the
    // refusal comes at the commit's flush, and the commit does not always hear of it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return QStringLiteral("%1: %2").arg(path, why);
    }
    if (!file.commit())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return std::nullopt;
}

QString numbered(const QString &path, int index)
{
    if (index == 0 || path.isEmpty())
        return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-') + QString::number(index + 1)
           + suffix;
}

}  // namespace OutputFile
