#include "ModuleImage.h"

#include "link/LinkConstants.h"
#include "link/MemoryMap.h"

#include <QCryptographicHash>

namespace ModuleImage {

QByteArray fromDownload(const Download &d)
{
    QByteArray image(Size, Unread);
    const MemoryMap::Layout &layout = MemoryMap::layoutFor(d.moduleEchoes);
    const auto put = [&](int address, const auto &bytes) {
        for (size_t i = 0; i < size_t(bytes.size()); ++i)
            image[qsizetype(address + int(i))] = char(bytes[i]);
    };
    put(layout.statisticsBlock, d.statistics);
    if (d.temperatures)
        put(MemoryMap::TemperatureBlock, *d.temperatures);
    put(layout.userData, d.userData.left(Link::UserDataSize));
    if (d.status)
        image[layout.statusByte] = char(*d.status);
    return image;
}

QByteArray sha256(const Download &download)
{
    return QCryptographicHash::hash(fromDownload(download), QCryptographicHash::Sha256);
}

std::optional<Download> toDownload(const QByteArray &image, bool moduleEchoes)
{
    if (image.size() != Size)
        return std::nullopt;
    Download d;
    d.moduleEchoes = moduleEchoes;
    const MemoryMap::Layout &layout = MemoryMap::layoutFor(moduleEchoes);
    for (int i = 0; i < Link::StatisticsBlockSize; ++i)
        d.statistics[size_t(i)] = quint8(image[layout.statisticsBlock + i]);
    StatisticsDecoder::TemperatureImage temps{};
    for (int j = 0; j < Link::TemperatureBlockSize; ++j)
        temps[size_t(j)] = quint8(image[MemoryMap::TemperatureBlock + j]);
    d.temperatures = temps;
    d.userData = image.mid(layout.userData, Link::UserDataSize);
    d.status = quint8(image[layout.statusByte]);
    return d;
}

}  // namespace ModuleImage
