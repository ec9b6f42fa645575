// Any 256-byte image, of either kind of module, through the decoder, the report and the
// record formats: what runlog-cli decode and the logbook do with a stored download.
#include "cli/RecordFormat.h"
#include "logbook/ModuleImage.h"
#include "reports/ReportLayout.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size != size_t(ModuleImage::Size) + 1)
        return 0;
    const QByteArray image(reinterpret_cast<const char *>(data) + 1, ModuleImage::Size);
    const bool echoes = data[0] & 1;
    const std::optional<Download> download = ModuleImage::toDownload(image, echoes);
    if (!download)
        return 0;
    const ModuleStatistics stats = download->decode();
    // The decoder's own promise: the total is never below what the bands add up to.
    if (stats.TotalHrs < StatisticsDecoder::bandSum(stats.RPMBandHours))
        std::abort();
    ReportContext context;
    context.statusDisplayEnabled = (data[0] & 2) != 0;
    const QString text = renderReportText(StatisticsReport::lines(stats, context));
    RecordFormat::json(stats, echoes, text.left(8));
    RecordFormat::csvRow(stats, echoes, text.left(8));
    // A download made again from its image is the same image.
    const QByteArray again = ModuleImage::fromDownload(*download);
    const std::optional<Download> reread = ModuleImage::toDownload(again, echoes);
    if (!reread || ModuleImage::fromDownload(*reread) != again)
        std::abort();
    return 0;
}
