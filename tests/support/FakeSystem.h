#pragma once

#include "link/SerialDevice.h"
#include "link/SystemFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// A folder tree of the test's own standing in for the system's: sys, proc, dev, etc and a
// lock folder, filled with what a test needs. Tests that want the real processes set
// folders.proc back to /proc.
struct FakeSystem {
    FakeSystem()
    {
        folders.proc = path(QStringLiteral("proc"));
        folders.sys = path(QStringLiteral("sys"));
        folders.dev = path(QStringLiteral("dev"));
        folders.etc = path(QStringLiteral("etc"));
        folders.locks = {path(QStringLiteral("lock"))};
        for (const QString &folder : {folders.proc, folders.sys, folders.dev, folders.etc, folders.locks.first()})
            QDir().mkpath(folder);
    }

    QString path(const QString &relative) const { return root.filePath(relative); }

    bool write(const QString &relative, const QByteArray &content)
    {
        QFile file(path(relative));
        return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly)
               && file.write(content) == content.size();
    }
    bool link(const QString &relative, const QString &target)
    {
        return QDir().mkpath(QFileInfo(path(relative)).path()) && QFile::link(target, path(relative));
    }
    // "relative=content" makes a file, "relative->target" a link (a target without a
    // leading slash lies in the tree).
    bool build(const QStringList &entries)
    {
        for (const QString &entry : entries) {
            const qsizetype arrow = entry.indexOf(QLatin1String("->"));
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            if (arrow > 0 && (equals < 0 || arrow < equals)) {
                const QString target = entry.mid(arrow + 2);
                if (!link(entry.left(arrow), target.startsWith(QLatin1Char('/')) ? target : path(target)))
                    return false;
            } else if (equals < 0 || !write(entry.left(equals), entry.mid(equals + 1).toLatin1())) {
                return false;
            }
        }
        return true;
    }
    // A device node in the tree's dev folder that leads to target (a pseudo-terminal).
    SerialDevice device(const QString &name, const QString &target)
    {
        SerialDevice d;
        d.path = path(QStringLiteral("dev/") + name);
        if (!link(QStringLiteral("dev/") + name, target))
            d.path.clear();
        return d;
    }

    QTemporaryDir root;
    SystemFolders folders;
};
