// The video list as the program uses it: the platform's volume monitor and the metadata
// layer's dispatcher. Kept apart so tools and tests can build a list from other parts.
#include "library/RVVideoList.h"

#include "library/RVTsMetaDataReader.h"
#include "library/RVVolumeMonitor.h"
#include "metadata/RVGpsProcessor.h"

namespace {

// What tells a driver most about a recording no reader read: a reader that knew it and found
// its data encrypted, in a layout it does not know, unreadable or without a fix, before the
// "not mine" of all the others.
RVDecline mostTelling(const std::vector<std::pair<QString, RVDecline>>& declines)
{
    auto rank = [](RVDecline::Kind kind) {
        switch (kind) {
        case RVDecline::Kind::Encrypted:
            return 4;
        case RVDecline::Kind::UnknownLayout:
            return 3;
        case RVDecline::Kind::Unreadable:
            return 2;
        case RVDecline::Kind::NoFixYet:
            return 1;
        case RVDecline::Kind::NotMine:
            break;
        }
        return 0;
    };
    RVDecline best;
    for (const auto& [format, why] : declines) {
        if (rank(why.kind) > rank(best.kind)) {
            best = why;
            if (!format.isEmpty())
                best.detail =
                    best.detail.isEmpty() ? format : format + QStringLiteral(": ") + best.detail;
        }
    }
    return best;
}

} // namespace

RVVideoList::RVVideoList(QObject* parent)
    : RVVideoList(RVVolumeMonitor::createPlatformMonitor(), defaultMetaDataSource(), parent)
{}

RVMetaDataSource RVVideoList::defaultMetaDataSource()
{
    RVTsMetaDataReader::install();
    return [](const QString& videoPath) {
        std::vector<std::pair<QString, RVDecline>> declines;
        RVMetaDataReading reading(RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(
            videoPath, nullptr, &declines));
        if (reading.metaData)
            return reading;
        // No reader claimed it, but one knew the recording for its own and could not read it.
        for (const auto& [format, why] : declines) {
            if (why.kind == RVDecline::Kind::Unreadable) {
                reading.readError = why.detail.isEmpty() ? declineKindName(why.kind) : why.detail;
                break;
            }
        }
        reading.decline = mostTelling(declines);
        return reading;
    };
}
