#include "WindowTestSupport.h"

#include "library/RVVolumeMonitor.h"
#include "metadata/RVGpsProcessor.h"

namespace windowtest {

std::shared_ptr<RVVideoList> makeVideoList(bool withMetaData)
{
    return std::make_shared<RVVideoList>(
        std::make_unique<RVStaticVolumeMonitor>(), [withMetaData](const QString& path) {
            return withMetaData ? RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path)
                                : std::optional<RVMetaData>();
        });
}

} // namespace windowtest
