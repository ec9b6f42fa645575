#pragma once

#include <QProcess>
#include <QStringList>

// One run of runlog-cli, its output and exit status.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;

    static CliRun run(const QStringList &arguments, const QByteArray &input = {}, int timeoutMs = 30000)
    {
        QProcess p;
        p.start(QStringLiteral(RUNLOG_CLI_PATH), arguments);
        p.waitForStarted();
        if (!input.isEmpty())
            p.write(input);
        p.closeWriteChannel();
        CliRun r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            r.err = QStringLiteral("timed out");
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};
