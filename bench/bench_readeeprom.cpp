// 200 single-byte reads with their 5 ms pacing, over a pseudo-terminal to runlog-modsim.
// Prints wall and CPU time per read; a busy-waiting pause would cost its full 5 ms of CPU.
#include "Figure.h"
#include "link/DeviceSerialPort.h"
#include "link/EventLoopTiming.h"
#include "link/ModuleLink.h"
#include "link/Prompt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <sys/resource.h>

namespace {
class FailPrompt : public Prompt {
public:
    Box::Answer message(const QString &text, const QString &, int) override
    {
        std::fprintf(stderr, "bench: %s\n", qPrintable(text));
        failed = true;
        return Box::Abort;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return {}; }
    bool failed = false;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int Reads = 200;

    QProcess sim;
    sim.start(QStringLiteral(RUNLOG_MODSIM_PATH), {QStringLiteral("--demo")});
    if (!sim.waitForReadyRead(5000))
        return 1;
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    DeviceSerialPort port([device](int) { return device; });
    EventLoopTiming timing;
    FailPrompt prompt;
    ModuleLink link(port, timing, prompt);
    link.readFirmwareID();
    link.setEEPROMAddress(64);

    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    for (int i = 0; i < Reads; ++i)
        link.readEEPROM();
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;
    const double cpuMs = (cpuSeconds() - cpu0) * 1e3;
    link.closePort();
    sim.terminate();
    sim.waitForFinished();

    std::printf("ReadEEPROM x %d over %s\n", Reads, qPrintable(device));
    figure("ReadEEPROM: wall time a read", wallMs / Reads, "ms", "<=5.6");
    figure("ReadEEPROM: CPU time a read", cpuMs / Reads, "ms", "<=0.3");

    // The pause alone, to tell its overshoot from the exchange's.
    for (int ms : {Link::PacingDelayMs, Link::WriteDelayMs}) {
        const double cpuBefore = cpuSeconds();
        wall.restart();
        for (int i = 0; i < Reads; ++i)
            timing.delay(ms);
        const double wallEach = double(wall.nsecsElapsed()) / 1e6 / Reads;
        const double cpuEach = (cpuSeconds() - cpuBefore) * 1e3 / Reads;
        figure(qPrintable(QStringLiteral("pause of %1 ms alone: wall time").arg(ms)), wallEach, "ms", "-");
        figure(qPrintable(QStringLiteral("pause of %1 ms alone: CPU time").arg(ms)), cpuEach, "ms", "-");
    }
    return prompt.failed ? 1 : 0;
}
