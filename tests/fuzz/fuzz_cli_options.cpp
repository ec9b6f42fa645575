// runlog-cli's command line: any words, separated by NUL bytes.
#include "cli/CliOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList arguments{QStringLiteral("runlog-cli")};
    for (const QByteArray &word : QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0'))
        arguments << QString::fromUtf8(word);
    CliOptions options;
    bool help = false, version = false;
    CliOptions::parse(arguments, options, help, version);
    return 0;
}
