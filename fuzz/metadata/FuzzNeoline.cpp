// The Neoline reader, in both its record layouts, on an in-memory "video file": whatever the bytes,
// its track keeps its speeds in step, every fix lies on the globe with a course of the compass,
// every dated fix falls on a date its record can hold (1900 + a byte) or within a day of the
// name's date, and a recording known but unread says why.
#include "fuzz/FuzzInput.h"
#include "metadata/RVNeolineMetaDataReader.h"

#include <QDate>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    const QDate nameDate(2026, 1, 1);
    const QDateTime earliest = QDate(1900, 1, 1).startOfDay(Qt::UTC);
    const QDateTime latest = QDate(2156, 1, 1).startOfDay(Qt::UTC);
    for (const RVSsmdLayout layout : {RVSsmdLayout::Degrees40, RVSsmdLayout::DegreesMinutes32}) {
        RVDecline why;
        file.buffer.seek(0);
        const std::optional<RVMetaData> read = RVNeolineMetaDataReader::readMetaData(
            file.buffer, file.bytes.size(), nameDate, &why, layout);
        if (!read) {
            if (why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty())
                __builtin_trap();
            continue;
        }
        if (read->points.empty() || read->points.size() != read->velocityData.size())
            __builtin_trap();
        for (const RVPoint& point : read->points) {
            if (!(std::fabs(point.latitudeValue()) <= 90) ||
                !(std::fabs(point.longitudeValue()) <= 180) ||
                !(point.azimut() >= 0 && point.azimut() < 360))
                __builtin_trap();
            const QDateTime time = point.time().toDateTime();
            if (time.isValid() && (time < earliest || time >= latest))
                __builtin_trap();
        }
    }
    return 0;
}
