#include "player/RVMapView.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The application's tests run the real window under Xvfb, with the program's own settings
// names (so the controller's and the application's stores are the same file) kept in a
// temporary folder.
int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Map tiles through the program's scheme, cached in a folder of the run's own.
    QTemporaryDir cacheDir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheDir.path()));
    RVMapView::registerTileScheme();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Korvela"));
    QApplication::setApplicationName(QStringLiteral("Korvela Player"));
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
