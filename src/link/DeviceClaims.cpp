#include "DeviceClaims.h"

#include "PortLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>

namespace {
QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

// The names the system may know the device by: as given (/dev/ttyS0, or a link), as it
// really is (/dev/pts/3), and, for lock files, relative to the device folder ("pts_3").
QStringList shortNames(const QString &device, const QString &deviceFolder)
{
    const QString real = canonical(device);
    QStringList names{QFileInfo(device).fileName(), QFileInfo(real).fileName()};
    const QString folder = canonical(deviceFolder) + QLatin1Char('/');
    if (real.startsWith(folder))
        names << real.mid(folder.size()).replace(QLatin1Char('/'), QLatin1Char('_'));
    names.removeDuplicates();
    return names;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

pid_t ownPid()
{
    return pid_t(QCoreApplication::applicationPid());
}
}  // namespace

DeviceClaims::DeviceClaims(SystemFolders folders) : m_folders(std::move(folders))
{
}

std::optional<DeviceClaims::Claim> DeviceClaims::claim(const QString &device) const
{
    if (isConsole(device))
        return Claim{Kind::Console, 0, QStringLiteral("it is the kernel console")};
    if (const QList<pid_t> holders = openedBy(device); !holders.isEmpty())
        return Claim{Kind::OpenElsewhere, holders.first(),
                     QStringLiteral("process %1 has it open").arg(describe(holders.first()))};
    if (const pid_t pid = lockFileHolder(device))
        return Claim{Kind::Locked, pid, QStringLiteral("process %1 has locked it").arg(describe(pid))};
    if (const pid_t pid = PortLock::holder(canonical(device)))
        return Claim{Kind::Locked, pid, QStringLiteral("process %1 has locked it").arg(describe(pid))};
    return std::nullopt;
}

bool DeviceClaims::isConsole(const QString &device) const
{
    // Either record may be missing; the active list is one line, /proc/consoles one
    // console a line with its name first.
    QStringList consoles = QString::fromLocal8Bit(readAll(m_folders.sys + QStringLiteral("/class/tty/console/active")))
                               .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString &line : QString::fromLocal8Bit(readAll(m_folders.proc + QStringLiteral("/consoles")))
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        consoles << line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    for (const QString &name : shortNames(device, m_folders.dev))
        if (consoles.contains(name))
            return true;
    return false;
}

QList<pid_t> DeviceClaims::processes() const
{
    QList<pid_t> pids;
    for (const QString &name : QDir(m_folders.proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const pid_t pid = pid_t(name.toInt(&number));
        if (number && pid > 0)
            pids << pid;
    }
    return pids;
}

QList<pid_t> DeviceClaims::openedBy(const QString &device) const
{
    const QString real = canonical(device);
    QList<pid_t> holders;
    for (const pid_t pid : processes()) {
        if (pid == ownPid())
            continue;
        // Another user's processes cannot be read unless Runlog runs as root; their locks
        // are what tells of them then.
        const QDir fds(QStringLiteral("%1/%2/fd").arg(m_folders.proc).arg(pid));
        for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
            if (target == real || target == device) {
                if (!servesFarEnd(pid, real))
                    holders << pid;
                break;
            }
        }
    }
    return holders;
}

bool DeviceClaims::servesFarEnd(pid_t pid, const QString &device) const
{
    // A pseudo-terminal /dev/pts/N: the kernel names N in the master descriptor's fdinfo.
    const QFileInfo info(device);
    if (QFileInfo(info.path()).fileName() != QLatin1String("pts"))
        return false;
    const QString index = info.fileName();
    const QString process = QStringLiteral("%1/%2").arg(m_folders.proc).arg(pid);
    const QDir fds(process + QStringLiteral("/fd"));
    static const QRegularExpression ttyIndex(QStringLiteral("^tty-index:\\s*(\\d+)\\s*$"),
                                             QRegularExpression::MultilineOption);
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (!QFileInfo(fds.filePath(fd)).symLinkTarget().endsWith(QLatin1String("ptmx")))
            continue;
        const auto m = ttyIndex.match(QString::fromLatin1(readAll(process + QStringLiteral("/fdinfo/") + fd)));
        if (m.hasMatch() && m.captured(1) == index)
            return true;
    }
    return false;
}

pid_t DeviceClaims::lockFileHolder(const QString &device) const
{
    for (const QString &folder : m_folders.locks)
        for (const QString &name : shortNames(device, m_folders.dev)) {
            const QByteArray content = readAll(QStringLiteral("%1/LCK..%2").arg(folder, name));
            if (content.isEmpty())
                continue;
            // UUCP writes the number as text ("      1234\n", as Qt's own lock files begin
            // too); old programs wrote it as a binary int.
            bool number = false;
            pid_t pid = pid_t(content.left(content.indexOf('\n')).trimmed().toInt(&number));
            if (!number && content.size() == sizeof(int)) {
                int binary = 0;
                std::memcpy(&binary, content.constData(), sizeof binary);
                pid = pid_t(binary);
            }
            if (pid > 0 && pid != ownPid() && QFileInfo::exists(QStringLiteral("%1/%2").arg(m_folders.proc).arg(pid)))
                return pid;
        }
    return 0;
}

bool DeviceClaims::isRunning(const QString &program) const
{
    for (const pid_t pid : processes())
        if (QString::fromLocal8Bit(readAll(QStringLiteral("%1/%2/comm").arg(m_folders.proc).arg(pid))).trimmed() == program)
            return true;
    return false;
}

QString DeviceClaims::describe(pid_t pid) const
{
    return PortLock::describe(pid, m_folders.proc);
}
