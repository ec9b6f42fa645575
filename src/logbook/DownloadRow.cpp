#include "DownloadRow.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace DownloadRow {

namespace {
template <typename Array>
Array array(const QByteArray &bytes)
{
    Array a{};
    for (qsizetype i = 0; i < qMin(bytes.size(), qsizetype(a.size())); ++i)
        a[size_t(i)] = quint8(bytes[i]);
    return a;
}

template <typename Array>
QByteArray blob(const Array &array)
{
    return QByteArray(reinterpret_cast<const char *>(array.data()), qsizetype(array.size()));
}
}  // namespace

QByteArray bytes(const StatisticsDecoder::StatisticsImage &block) { return blob(block); }
QByteArray bytes(const StatisticsDecoder::TemperatureImage &block) { return blob(block); }

QString columns(int version, const QString &table)
{
    const QString prefix = table.isEmpty() ? QString() : table + QLatin1Char('.');
    QStringList names{QStringLiteral("id"),         QStringLiteral("taken_at"),   QStringLiteral("port"),
                      QStringLiteral("firmware_id"), QStringLiteral("echoes"),     QStringLiteral("statistics"),
                      QStringLiteral("temperatures"), QStringLiteral("user_data"), QStringLiteral("status")};
    for (QString &name : names)
        name.prepend(prefix);
    // Version 1 kept no reason: read only, an older logbook stays as it is.
    names << (version < 2 ? QStringLiteral("'' AS reason") : prefix + QStringLiteral("reason"));
    return names.join(QStringLiteral(", "));
}

Download read(const QSqlQuery &q, int first)
{
    const auto value = [&](int column) { return q.value(first + column); };
    Download d;
    d.takenAt = QDateTime::fromMSecsSinceEpoch(value(1).toLongLong(), Qt::UTC);
    d.port = value(2).toString();
    d.firmwareID = value(3).toString();
    d.moduleEchoes = value(4).toBool();
    d.statistics = array<StatisticsDecoder::StatisticsImage>(value(5).toByteArray());
    if (!value(6).isNull())
        d.temperatures = array<StatisticsDecoder::TemperatureImage>(value(6).toByteArray());
    d.userData = value(7).toByteArray();
    if (!value(8).isNull())
        d.status = quint8(value(8).toInt());
    d.reason = value(9).toString();
    return d;
}

}  // namespace DownloadRow
