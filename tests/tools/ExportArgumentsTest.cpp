#include "tools/korvela-export/RVExportArguments.h"
#include "tools/korvela-export/RVExportFormats.h"

#include <gtest/gtest.h>

TEST(ExportArguments, OptionsInEitherSpellingFilesInOrderAndErrorsNamed)
{
    const auto b = parseExportArguments({"x.mp4", "--output=/tmp/out", "--format", "kml", "y.mp4"});
    ASSERT_TRUE(b.arguments);
    EXPECT_EQ(b.arguments->format, "kml");
    EXPECT_EQ(b.arguments->outputDir, "/tmp/out");
    EXPECT_EQ(b.arguments->files, QStringList({"x.mp4", "y.mp4"}));
    EXPECT_FALSE(b.arguments->help || b.arguments->version || b.arguments->quiet);
    // After "--" everything is a file, also what looks like an option; "-" is a file too.
    const auto c = parseExportArguments({"--format=json", "--", "--help", "-x.mp4", "-"});
    ASSERT_TRUE(c.arguments);
    EXPECT_EQ(c.arguments->files, QStringList({"--help", "-x.mp4", "-"}));
    // --help and --version need neither format nor file; --quiet goes with a normal run.
    EXPECT_TRUE(parseExportArguments({"--help"}).arguments->help);
    EXPECT_TRUE(parseExportArguments({"--version"}).arguments->version);
    EXPECT_TRUE(parseExportArguments({"-q", "--format=json", "a.mp4"}).arguments->quiet);
    // Clock corrections: hours and minutes, a zone this system knows.
    const RVArgumentsResult clock = parseExportArguments(
        {"--clock-offset", "-1:30", "--camera-zone=Europe/Kyiv", "--format=tree", "a.mp4"});
    ASSERT_TRUE(clock.arguments);
    EXPECT_EQ(clock.arguments->clockOffsetSeconds, -5400);
    EXPECT_EQ(clock.arguments->cameraZone, "Europe/Kyiv");
    EXPECT_FALSE(parseExportArguments({"--format=tree", "a"}).arguments->clockOffsetSeconds);
    // Format names are matched exactly.
    ASSERT_NE(findExportFormat(QStringLiteral("json")), nullptr);
    EXPECT_EQ(findExportFormat(QStringLiteral("JSON")), nullptr);
    EXPECT_EQ(findExportFormat(QString()), nullptr);

    const std::pair<QStringList, const char*> bad[] = {
        {{"a.mp4"}, "--format is missing"},
        {{"--format", "json"}, "no FILE given"},
        {{"--format"}, "--format needs a value"},
        {{"--format="}, "--format needs a value"},
        {{"--format", "json", "--format", "json", "a"}, "--format is given twice"},
        {{"--format", "json", "--output", "x", "--output=y", "a"}, "--output is given twice"},
        {{"--formats", "json", "a"}, "unknown option --formats"},
        {{"-h", "--bogus-after-help"}, "unknown option --bogus-after-help"},
        {{"--clock-offset=3h", "--format=tree", "a"},
         "--clock-offset takes hours and minutes such as +3 or -1:30, not \"3h\""},
        {{"--clock-offset=1", "--clock-offset=2", "a"}, "--clock-offset is given twice"},
        {{"--camera-zone", "Mars/Base", "a"}, "unknown time zone \"Mars/Base\""},
    };
    for (const auto& [arguments, error] : bad) {
        const RVArgumentsResult result = parseExportArguments(arguments);
        EXPECT_FALSE(result.arguments) << error;
        EXPECT_EQ(result.error, QString::fromUtf8(error));
    }
}
