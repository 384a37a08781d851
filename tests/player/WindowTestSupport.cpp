#include "WindowTestSupport.h"

#include "library/RVVolumeMonitor.h"

namespace windowtest {

std::shared_ptr<RVVideoList> makeVideoList(bool withMetaData)
{
    // With metadata: the program's own source, which says why a recording gave none.
    if (withMetaData)
        return std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                             RVVideoList::defaultMetaDataSource());
    return std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                         [](const QString&) { return RVMetaDataReading(); });
}

} // namespace windowtest
