#pragma once

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <optional>
#include <unistd.h>

// A PostgreSQL server of the test's own: a cluster made in a temporary folder, started on
// a free loopback port, stopped when the test is done with it. Runs as the system's
// postgres user when the tests run as root, which PostgreSQL refuses to be. Password
// logins over TCP (what the benches use); the administrator comes in over the cluster's
// own socket without one.
class PostgresCluster {
public:
    static constexpr char Admin[] = "runlog_admin";

    PostgresCluster()
    {
        // The newest server installed (Debian's postgresql package).
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        m_bin = versions.isEmpty() ? QString() : QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(versions.last());
        if (m_bin.isEmpty() || !QFile::exists(m_bin + QStringLiteral("initdb")))
            m_error = QStringLiteral("no PostgreSQL server programs (Debian's postgresql package)");
        else if (::geteuid() == 0 && !run(QStringLiteral("chown"), {QStringLiteral("postgres"), m_dir.path()}, false))
            m_error = QStringLiteral("no postgres user to run the server as");
        else if (!run(m_bin + QStringLiteral("initdb"), {"-D", data(), "-U", Admin, "--auth-local=trust",
                                                         "--auth-host=scram-sha-256", "-E", "UTF8", "--no-sync"}))
            m_error = QStringLiteral("initdb failed: ") + m_output;
        else
            start();
    }
    ~PostgresCluster() { stop(); }
    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;

    bool isRunning() const { return m_running; }
    QString error() const { return m_error; }
    QString url(const QString &user, const QString &database) const
    {
        return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3?sslmode=disable").arg(user).arg(m_port).arg(database);
    }

    // Starts the server (again) on its port, or on another free one when that is taken.
    bool start()
    {
        for (int attempt = 0; attempt < 5 && !m_running; ++attempt) {
            if (m_port == 0 || attempt > 0) {
                QTcpServer probe;
                probe.listen(QHostAddress::LocalHost, 0);
                m_port = probe.serverPort();
            }
            const QString options = QStringLiteral("-k %1 -p %2 -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=60")
                                        .arg(m_dir.path()).arg(m_port);
            m_running = run(m_bin + QStringLiteral("pg_ctl"), {"-D", data(), "-o", options, "-l",
                                                               m_dir.filePath(QStringLiteral("log")), "-w", "-t", "30", "start"});
        }
        if (!m_running)
            m_error = QStringLiteral("the server did not start: ") + m_output;
        return m_running;
    }
    // Stops it as an administrator would, or at once as a crash or a power cut would.
    void stop(bool immediately = false)
    {
        if (m_running)
            run(m_bin + QStringLiteral("pg_ctl"), {"-D", data(), "-m", immediately ? "immediate" : "fast", "-w", "stop"});
        m_running = false;
    }

    // Runs SQL as the administrator, in a database; what psql printed, or nothing when it failed.
    std::optional<QString> sql(const QString &statements, const QString &database = QStringLiteral("postgres"))
    {
        if (!run(m_bin + QStringLiteral("psql"), {"-X", "-q", "-t", "-A", "-v", "ON_ERROR_STOP=1", "-h", m_dir.path(), "-p",
                                                   QString::number(m_port), "-U", Admin, "-d", database, "-c", statements}))
            return std::nullopt;
        return m_output.trimmed();
    }
    QString lastOutput() const { return m_output; }

private:
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }
    bool run(const QString &program, const QStringList &arguments, bool asServer = true)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        if (asServer && ::geteuid() == 0)
            p.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--", program} + arguments);
        else
            p.start(program, arguments);
        const bool finished = p.waitForFinished(60000);
        m_output = QString::fromLocal8Bit(p.readAll());
        return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_error;
    QString m_output;
    int m_port = 0;
    bool m_running = false;
};
