// What an installed copy shows about itself: the command line answered without a display, and
// the About box's version, licence and notices found beside the executable.
#include "app/RVAboutBox.h"
#include "app/RVCommandLine.h"
#include "korvela_version.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Install, CommandLineWithoutADisplayAndTheAboutBox)
{
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        noDisplay.remove(QLatin1String(name));
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--version"}, 0, "korvela-player " KORVELA_VERSION "\n"},
        {{"a.mp4", "-h"}, 0, "usage: korvela-player"},
        {{"--bogus"}, RVCommandLine::kUsageError, "--bogus"}};
    for (const auto& [arguments, exitCode, out] : cases) {
        QProcess player;
        player.setProcessEnvironment(noDisplay);
        player.start(QStringLiteral(KORVELA_BINARY_DIR "/app/korvela-player"), arguments);
        ASSERT_TRUE(player.waitForFinished(30000));
        const QByteArray said = player.readAllStandardOutput() + player.readAllStandardError();
        EXPECT_EQ(player.exitCode(), exitCode) << said.toStdString();
        EXPECT_TRUE(said.contains(out)) << said.toStdString();
    }
    // After "--" everything is a path.
    QString error;
    const auto parsed = RVCommandLine::parse({"korvela-player", "--check", "--", "--check"}, error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(std::pair(parsed->check, parsed->paths), std::pair(true, QStringList{"--check"}));

    // The build tree has the installed shape: build/app/../share/korvela-player.
    const QString buildApp = QStringLiteral(KORVELA_BINARY_DIR "/app");
    for (const char* part :
         {"Korvela Player " KORVELA_VERSION, "GPL-3.0-or-later", "Volodymyr Agafonkin",
          "BSD 2-Clause", "Gilles Vollant", "zlib", "GNU GENERAL PUBLIC LICENSE"})
        EXPECT_TRUE(RVAboutBox::text(buildApp).contains(QLatin1String(part))) << part;
    // A copy without its data says so instead of showing nothing.
    QTemporaryDir bare;
    EXPECT_TRUE(RVAboutBox::text(bare.filePath("bin")).contains("notices are not installed"));
}
