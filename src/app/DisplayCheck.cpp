#include "DisplayCheck.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace DisplayCheck {

namespace {
QtMessageHandler g_previous = nullptr;

void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        reportNoDisplay(display.isEmpty() ? "the windowing system could not be reached"
                                          : qPrintable(QStringLiteral("the display %1 cannot be opened")
                                                           .arg(QString::fromLocal8Bit(display))));
        std::_Exit(ExitNoDisplay);
    }
    if (g_previous)
        g_previous(type, context, message);
}
}  // namespace

bool displayNamed()
{
    // Platforms that draw elsewhere (offscreen, a frame buffer, VNC) need no display.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void watchConstruction(bool watching)
{
    if (watching)
        g_previous = qInstallMessageHandler(onMessage);
    else
        qInstallMessageHandler(g_previous);
}

void reportNoDisplay(const char *why)
{
    std::fprintf(stderr,
                 "runlog: no display: %s. Start Runlog in a desktop session, or use runlog-cli for the "
                 "same operations on the command line.\n",
                 why);
}

}  // namespace DisplayCheck
