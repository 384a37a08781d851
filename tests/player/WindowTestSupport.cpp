#include "WindowTestSupport.h"

#include "library/RVVolumeMonitor.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVSettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace windowtest {

IsolatedSettings::IsolatedSettings()
{
    RVSettings::store().clear();
}

IsolatedSettings::~IsolatedSettings()
{
    RVSettings::store().clear();
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

QString demoCard()
{
    const QString card = QStringLiteral(KORVELA_BINARY_DIR "/test-demo-card");
    if (QFile::exists(card + "/korvela-demo-card.json"))
        return card;
    QDir(card).removeRecursively();
    QProcess make;
    make.setProcessChannelMode(QProcess::MergedChannels);
    make.start(QStringLiteral(KORVELA_SOURCE_DIR "/tools/make-demo-card"), {card});
    if (!make.waitForFinished(600000) || make.exitCode() != 0) {
        ADD_FAILURE() << make.readAll().toStdString();
        return {};
    }
    return card;
}

} // namespace windowtest
