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
        return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(videoPath);
    };
}
