#include "tools/korvela-export/RVJsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Runs the writer into a memory stream and returns what it wrote.
template <typename Write>
std::string written(Write write)
{
    char* data = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&data, &size);
    {
        RVJsonWriter json(stream);
        write(json);
    }
    std::fclose(stream);
    std::string text(data, size);
    std::free(data);
    return text;
}

} // namespace

TEST(JsonWriter, NestsWithCommasLaysOutListsAndWritesNonFiniteAsNull)
{
    const std::string text = written([](RVJsonWriter& json) {
        json.beginArray(RVJsonWriter::Layout::OnePerLine);
        json.beginObject();
        json.key("a");
        json.number(1);
        json.key("list");
        json.beginArray();
        json.number(std::numeric_limits<double>::quiet_NaN());
        json.number(-std::numeric_limits<double>::infinity());
        json.string(std::string_view("x"));
        json.endArray();
        json.key("empty");
        json.beginArray(RVJsonWriter::Layout::OnePerLine);
        json.endArray();
        json.endObject();
        json.beginObject();
        json.endObject();
        json.endArray();
        json.newline();
    });
    EXPECT_EQ(text, "[\n {\"a\":1,\"list\":[null,null,\"x\"],\"empty\":[]},\n {}\n]\n");
}

TEST(JsonWriter, EscapesStringsSoTheyReadBack)
{
    const QString tricky = QStringLiteral("quote\" back\\ nl\n cr\r tab\t bell\x07 nul") +
                           QChar(0) + QStringLiteral(" del\x7f ü € 😀 /slash");
    const std::string text = written([&](RVJsonWriter& json) {
        json.beginArray();
        json.string(tricky);
        json.stringOrNull(QString());
        json.stringOrNull(QStringLiteral(""));
        json.endArray();
    });
    EXPECT_NE(text.find("\\u0000"), std::string::npos);
    const QJsonArray array = QJsonDocument::fromJson(QByteArray::fromStdString(text)).array();
    ASSERT_EQ(array.size(), 3);
    EXPECT_EQ(array[0].toString(), tricky);
    EXPECT_TRUE(array[1].isNull());
    EXPECT_TRUE(array[2].isString());
}

TEST(JsonWriter, NumbersReadBackToTheSameDouble)
{
    EXPECT_EQ(RVJsonWriter::numberText(18.519999980926514), "18.519999980926514");
    EXPECT_EQ(RVJsonWriter::numberText(150.0), "150");
    EXPECT_EQ(RVJsonWriter::numberText(-0.0), "-0");
    EXPECT_EQ(RVJsonWriter::numberText(1e300), "1e+300");

    for (const double value : {std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::max(), 0.30000000000000004})
        EXPECT_EQ(std::strtod(RVJsonWriter::numberText(value).c_str(), nullptr), value);
}

TEST(JsonWriter, LargeOutputIsWrittenWholeAndAWriteFailureIsReported)
{
    const std::string text = written([](RVJsonWriter& json) {
        json.beginArray(RVJsonWriter::Layout::OnePerLine);
        for (int i = 0; i < 20000; ++i) // several times the writer's 64 KiB buffer
            json.number(i + 0.5);
        json.endArray();
    });
    const QJsonArray array = QJsonDocument::fromJson(QByteArray::fromStdString(text)).array();
    ASSERT_EQ(array.size(), 20000);
    EXPECT_EQ(array[19999].toDouble(), 19999.5);

    // /dev/full fails every write with ENOSPC.
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    {
        RVJsonWriter json(full);
        json.beginArray();
        for (int i = 0; i < 20000; ++i)
            json.number(i);
        json.endArray();
        EXPECT_FALSE(json.flush());
        EXPECT_TRUE(json.failed());
    }
    std::fclose(full);
}
