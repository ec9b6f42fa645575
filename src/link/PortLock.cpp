#include "PortLock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
flock wholeFile(short type)
{
    flock f{};
    f.l_type = type;
    f.l_whence = SEEK_SET;
    f.l_start = 0;
    f.l_len = 0;
    return f;
}
#endif
}  // namespace

bool PortLock::lock(int fd)
{
#ifdef Q_OS_UNIX
    flock f = wholeFile(F_WRLCK);
    return ::fcntl(fd, F_SETLK, &f) == 0;
#else
    Q_UNUSED(fd)
    return true;
#endif
}

pid_t PortLock::holder(const QString &device)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    flock f = wholeFile(F_WRLCK);
    const int rc = ::fcntl(fd, F_GETLK, &f);
    ::close(fd);
    return rc == 0 && f.l_type != F_UNLCK ? f.l_pid : 0;
#else
    Q_UNUSED(device)
    return 0;
#endif
}

QString PortLock::describe(pid_t pid, const QString &procFolder)
{
    QFile comm(QStringLiteral("%1/%2/comm").arg(procFolder).arg(pid));
    if (comm.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 (%2)").arg(pid).arg(QString::fromLocal8Bit(comm.readAll()).trimmed());
    return QString::number(pid);
}
