#pragma once

#include <QProcess>
#include <QStringList>

// One run of runlog-cli, its output and exit status (-1 if it crashed or hung).
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;

    static CliRun run(const QStringList &arguments,
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(RUNLOG_CLI_PATH), arguments);
        p.closeWriteChannel();
        CliRun r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};
