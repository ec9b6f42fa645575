#include "Pty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

Pty::~Pty()
{
    close();
}

bool Pty::open(QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        close();
        return false;
    }
    m_path = QString::fromLocal8Bit(::ptsname(m_master));

    // Raw bytes both ways: no echo by the line discipline, no CR/LF translation.
    termios tio{};
    ::tcgetattr(m_master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_master, TCSANOW, &tio);
    m_slave = ::open(m_path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    return true;
}

void Pty::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

bool Pty::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n > 0)
            done += n;
    }
    return done == bytes.size();
}

QByteArray Pty::read()
{
    QByteArray bytes;
    char buffer[512];
    for (;;) {
        const ssize_t n = m_master >= 0 ? ::read(m_master, buffer, sizeof buffer) : -1;
        if (n <= 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

bool Pty::unread() const
{
    // Asked of our own end of the serial program's side, by poll() rather than FIONREAD:
    // with nothing ready to read, poll() first waits for the kernel to finish passing on
    // what was written, where FIONREAD would not count bytes still on their way.
    pollfd fd{m_slave, POLLIN, 0};
    return m_slave >= 0 && ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN);
}
