// The one main of every test executable. The code under test stores settings and writes
// temporary files; both go to a folder of this run's own, so tests never touch the user's
// settings and can see what is left behind. Executables that show widgets get a QApplication
// (with OpenGL contexts shared between the video surface and the web pages); those that show the
// map register its tile scheme, as the program does.
#ifdef KORVELA_TEST_MAP_TILES
#include "player/map/RVMapView.h"
#endif
#ifdef KORVELA_TEST_WIDGETS
#include <QApplication>
#elif defined(KORVELA_TEST_GUI)
#include <QGuiApplication>
#else
#include <QCoreApplication>
#endif
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    const QString temporary = home.filePath(QStringLiteral("tmp"));
    QDir().mkpath(temporary);
    qputenv("TMPDIR", QFile::encodeName(temporary));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
#ifdef KORVELA_TEST_MAP_TILES
    RVMapView::registerTileScheme();
#endif
#ifdef KORVELA_TEST_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
#elif defined(KORVELA_TEST_GUI)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // The program's own names, so that every store the code opens is the same file.
    QCoreApplication::setOrganizationName(QStringLiteral("Korvela"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvela Player"));
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, home.filePath(QStringLiteral("settings")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
