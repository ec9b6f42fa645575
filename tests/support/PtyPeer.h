#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The far end of a pseudo-terminal, played by a thread of the test: it keeps every byte
// that reaches it, answers each with what its answer gives and, given a line, sends that
// line every RepeatMs as a GPS receiver sends its sentences. Its descriptors close on exec,
// so that no child process of the test holds the line unless the test makes one.
class PtyPeer {
public:
    using Answer = std::function<QByteArray(quint8 byte)>;
    static constexpr int RepeatMs = 20;

    explicit PtyPeer(Answer answer = {}, QByteArray repeated = {})
        : m_answer(std::move(answer)), m_repeated(std::move(repeated))
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || ::pipe2(m_stop, O_CLOEXEC) != 0)
            return;
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        m_device = QString::fromLocal8Bit(::ptsname(m_master));
        // Held here too, so that the line stays up while the code under test opens and
        // closes it; raw, so that the line discipline echoes nothing.
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
        m_thread = std::thread([this] { serve(); });
    }
    ~PtyPeer()
    {
        finish();
        for (int fd : {m_slave, m_master, m_stop[0], m_stop[1]})
            if (fd >= 0)
                ::close(fd);
    }

    QString device() const { return m_device; }

    // Stops the peer; every byte that reached it, those not yet served included.
    QByteArray finish()
    {
        if (m_thread.joinable()) {
            [[maybe_unused]] auto n = ::write(m_stop[1], "", 1);
            m_thread.join();
        }
        for (QByteArray more; !(more = take()).isEmpty();)
            m_received += more;
        return m_received;
    }

private:
    QByteArray take()
    {
        char buffer[256];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }
    // Like a device, it does not wait for a reader: what the line cannot take is lost.
    void send(const QByteArray &bytes)
    {
        [[maybe_unused]] auto n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    }

    void serve()
    {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
        for (;;) {
            const int ready = ::poll(fds, 2, m_repeated.isEmpty() ? -1 : RepeatMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0 || fds[1].revents || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)))
                return;
            if (ready == 0)
                send(m_repeated);
            for (const char byte : take()) {
                m_received += byte;
                if (m_answer)
                    send(m_answer(quint8(byte)));
            }
        }
    }

    Answer m_answer;
    QByteArray m_repeated;
    QString m_device;
    int m_master = -1;
    int m_slave = -1;
    int m_stop[2] = {-1, -1};
    QByteArray m_received;
    std::thread m_thread;
};
