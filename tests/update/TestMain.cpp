#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

// The update tests need an application object (event loop, settings) and the test-only
// certificate authority, so they bring their own main.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KorvelaTests"));
    QCoreApplication::setApplicationName(QStringLiteral("update_tests"));
    QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    // Temporary files of the code under test land in a folder of the tests' own, where the
    // tests can see what is left behind.
    const QString temporary = settingsFolder.path() + QStringLiteral("/tmp");
    QDir().mkpath(temporary);
    qputenv("TMPDIR", QFile::encodeName(temporary));
    if (!TestTls::setUp(settingsFolder.path())) {
        std::fprintf(stderr, "could not make test certificates with openssl\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
