#include "WindowTestSupport.h"

#include "library/RVVolumeMonitor.h"
#include "metadata/RVGpsProcessor.h"

#include <QSettings>

namespace windowtest {

IsolatedSettings::IsolatedSettings()
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    QSettings().clear();
}

std::shared_ptr<RVVideoList> makeVideoList(bool withMetaData)
{
    RVMetaDataSource source;
    if (withMetaData) {
        source = [](const QString& path) {
            return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path);
        };
    } else {
        source = [](const QString&) { return std::optional<RVMetaData>(); };
    }
    return std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), source);
}

} // namespace windowtest
