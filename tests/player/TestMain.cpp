#include "metadata/RVSettings.h"

#include "player/RVMapView.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The player's tests need a QApplication with a real display (they run under Xvfb), web
// engine contexts shared with the video surface, and settings of their own.
int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Map tiles through the program's scheme, cached in a folder of the run's own.
    QTemporaryDir cacheDir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheDir.path()));
    RVMapView::registerTileScheme();
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
