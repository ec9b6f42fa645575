// Runlog.cfg as any file may be: the reader, the feature flags and the number reader.
#include "link/StepRunner.h"
#include "session/Configuration.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Runlog.cfg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    // Failures are ignored, so that the reader goes on to every line there is; a file that
    // ends too early asks again at every line, as it would a user, so in the end it aborts.
    ScriptedPrompt prompt;
    for (int i = 0; i < 50; ++i)
        prompt.answer({Box::Ignore});
    StepRunner runner(prompt);
    Configuration config;
    runner.operation([&] { Configuration::read(path, runner, config); });
    Features::fromConfigLines(config.ConfigLines);
    for (const QString &line : config.BrandingLines)
        Configuration::leadingNumber(line);
    return 0;
}
