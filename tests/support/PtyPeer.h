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
// that reaches it, answers each with what its answer gives, and, given a line, sends that
// line again and again as a GPS receiver sends its sentences. The code under test opens
// device(). No descriptor of it survives into a child process, so that no other process
// holds the line unless a test makes one.
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
        // Held open here too, so that the line stays up while the code under test opens
        // and closes it; raw, so that the line discipline echoes nothing back.
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
        m_thread = std::thread([this] { serve(); });
    }
    ~PtyPeer()
    {
        stop();
        for (int fd : {m_slave, m_master, m_stop[0], m_stop[1]})
            if (fd >= 0)
                ::close(fd);
    }
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    QString device() const { return m_device; }

    // Stops the peer; every byte that reached it, including any not yet served.
    QByteArray finish()
    {
        stop();
        char buffer[256];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            m_received.append(buffer, n);
        return m_received;
    }

private:
    void stop()
    {
        if (!m_thread.joinable())
            return;
        const char c = 1;
        [[maybe_unused]] auto n = ::write(m_stop[1], &c, 1);
        m_thread.join();
    }

    void send(const QByteArray &bytes)
    {
        // Like a real device, it does not wait for a reader: what the line cannot take is lost.
        if (!bytes.isEmpty())
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
            if (ready == 0) {
                send(m_repeated);
                continue;
            }
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                m_received += buffer[i];
                if (m_answer)
                    send(m_answer(quint8(buffer[i])));
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
