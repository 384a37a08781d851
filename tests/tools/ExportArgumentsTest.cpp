#include "tools/korvela-export/RVExportArguments.h"
#include "tools/korvela-export/RVExportFormats.h"

#include <gtest/gtest.h>

namespace {

RVArgumentsResult parse(std::initializer_list<const char*> arguments)
{
    QStringList list;
    for (const char* argument : arguments)
        list.append(QString::fromUtf8(argument));
    return parseExportArguments(list);
}

} // namespace

TEST(ExportArguments, AcceptsOptionsInEitherSpellingAndKeepsFileOrder)
{
    const RVArgumentsResult b = parse({"x.mp4", "--output=/tmp/out", "--format", "kml", "y.mp4"});
    ASSERT_TRUE(b.arguments);
    EXPECT_EQ(b.arguments->format, "kml");
    EXPECT_EQ(b.arguments->outputDir, "/tmp/out");
    EXPECT_EQ(b.arguments->files, QStringList({"x.mp4", "y.mp4"}));

    // After "--" everything is a file, also what looks like an option; "-" is a file too.
    const RVArgumentsResult c = parse({"--format=json", "--", "--help", "-x.mp4", "-"});
    ASSERT_TRUE(c.arguments);
    EXPECT_FALSE(c.arguments->help);
    EXPECT_EQ(c.arguments->format, "json");
    EXPECT_EQ(c.arguments->files, QStringList({"--help", "-x.mp4", "-"}));

    ASSERT_TRUE(parse({"--help"}).arguments);
    EXPECT_TRUE(parse({"--help"}).arguments->help);
    // --version needs neither format nor file; --quiet goes with a normal run.
    ASSERT_TRUE(parse({"--version"}).arguments);
    EXPECT_TRUE(parse({"--version"}).arguments->version);
    const RVArgumentsResult quiet = parse({"-q", "--format=json", "a.mp4"});
    ASSERT_TRUE(quiet.arguments);
    EXPECT_TRUE(quiet.arguments->quiet);
    EXPECT_FALSE(parse({"--format=json", "a.mp4"}).arguments->quiet);
    EXPECT_TRUE(parse({"-h", "--bogus-after-help-is-still-an-error"}).error.contains("unknown"));

    // Format names are matched exactly.
    ASSERT_NE(findExportFormat(QStringLiteral("json")), nullptr);
    EXPECT_EQ(findExportFormat(QStringLiteral("JSON")), nullptr);
    EXPECT_EQ(findExportFormat(QString()), nullptr);
}

TEST(ExportArguments, RejectsIncompleteOrContradictoryCommandLines)
{
    const struct
    {
        std::initializer_list<const char*> arguments;
        const char* error;
    } cases[] = {
        {{"a.mp4"}, "--format is missing"},
        {{"--format", "json"}, "no FILE given"},
        {{"--format"}, "--format needs a value"},
        {{"--format="}, "--format needs a value"},
        {{"--format", "json", "--format", "json", "a"}, "--format is given twice"},
        {{"--format", "json", "--output", "x", "--output=y", "a"}, "--output is given twice"},
        {{"--formats", "json", "a"}, "unknown option --formats"},
    };
    for (const auto& c : cases) {
        const RVArgumentsResult result = parse(c.arguments);
        EXPECT_FALSE(result.arguments) << c.error;
        EXPECT_EQ(result.error, QString::fromUtf8(c.error));
    }
}
