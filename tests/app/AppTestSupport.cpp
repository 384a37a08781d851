#include "AppTestSupport.h"

#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "metadata/RVSettings.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace apptest {

void clearSettings()
{
    QSettings store = RVSettings::store();
    store.clear();
    store.sync();
}

Launch::Launch(std::shared_ptr<ScriptedDialogs> dialogs) : m_dialogs(std::move(dialogs))
{
    RVAppDelegateOptions options;
    options.dialogs = m_dialogs;
    options.videoList =
        std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                      [](const QString&) { return std::optional<RVMetaData>(); });
    options.checkForUpdates = false;
    options.advertisementServer.clear();
    // An installed copy of its own, so the pending-update step looks at nothing of the build.
    QDir(m_installDir.path()).mkpath(QStringLiteral("Korvela Player/bin"));
    options.updaterEnvironment.executablePath =
        m_installDir.filePath(QStringLiteral("Korvela Player/bin/korvela-player"));
    options.updaterEnvironment.launch = [](const QString&) { return false; };
    options.updaterEnvironment.endProcess = [](int) {
        ADD_FAILURE() << "the launch tried to end the process";
    };
    options.updaterEnvironment.dashcamFlashDrives = [] { return QStringList(); };
    m_delegate = std::make_unique<RVAppDelegate>(std::move(options));
    m_delegate->applicationDidFinishLaunching();
    QCoreApplication::processEvents();
}

Launch::~Launch()
{
    m_delegate.reset();
    QCoreApplication::processEvents();
}

} // namespace apptest
