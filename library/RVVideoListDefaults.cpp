// The video list as the program uses it: the platform's volume monitor and the metadata
// layer's dispatcher. Kept apart so tools and tests can build a list from other parts.
#include "library/RVVideoList.h"

#include "library/RVTsMetaDataReader.h"
#include "library/RVVolumeMonitor.h"
#include "metadata/RVGpsProcessor.h"

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
        return reading;
    };
}
