#include "export/RVJsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

TEST(JsonWriter, NestsLaysOutListsEscapesAndWritesNonFiniteAsNull)
{
    const QString tricky = QStringLiteral("quote\" back\\ nl\n cr\r tab\t bell\x07 nul") +
                           QChar(0) + QStringLiteral(" del\x7f ü € 😀 /slash");
    char* data = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&data, &size);
    {
        RVJsonWriter json(stream);
        json.beginArray(RVJsonWriter::Layout::OnePerLine);
        json.beginObject();
        json.key("list");
        json.beginArray();
        json.number(std::numeric_limits<double>::quiet_NaN());
        json.stringOrNull(QString());
        json.stringOrNull(QStringLiteral(""));
        json.endArray();
        json.endObject();
        json.string(tricky);
        json.endArray();
    }
    std::fclose(stream);
    const std::string text(data, size);
    std::free(data);
    EXPECT_TRUE(text.starts_with("[\n {\"list\":[null,null,\"\"]},\n \"")) << text;
    EXPECT_TRUE(text.ends_with("\"\n]")) << text;
    // Control characters escaped, the shortest way where JSON has one; the rest as it is.
    EXPECT_NE(text.find(R"(quote\" back\\ nl\n cr\r tab\t bell\u0007 nul\u0000 del)"),
              std::string::npos)
        << text;
    // The escaped text reads back as it was.
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(text)).array()[1].toString(),
              tricky);

    // Lone surrogates, which UTF-8 cannot carry, as escapes; one at the very end too.
    std::string lone;
    {
        RVJsonWriter json(&lone);
        json.string(QChar(0xDC00) + QStringLiteral("a") + QChar(0xD83D));
        json.flush();
    }
    EXPECT_EQ(lone, R"("\udc00a\ud83d")");
}

TEST(JsonWriter, NumbersReadBackToTheSameDoubleAndFailuresAreReported)
{
    EXPECT_EQ(RVJsonWriter::numberText(18.519999980926514), "18.519999980926514");
    EXPECT_EQ(RVJsonWriter::numberText(150.0), "150");
    EXPECT_EQ(RVJsonWriter::numberText(-0.0), "-0");
    EXPECT_EQ(RVJsonWriter::numberText(1e300), "1e+300");
    for (const double value : {std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::max(), 0.30000000000000004})
        EXPECT_EQ(std::strtod(RVJsonWriter::numberText(value).c_str(), nullptr), value);

    // /dev/full fails every write with ENOSPC.
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    {
        RVJsonWriter json(full);
        json.beginArray();
        for (int i = 0; i < 20000; ++i) // several times the writer's 64 KiB buffer
            json.number(i);
        json.endArray();
        EXPECT_FALSE(json.flush());
        EXPECT_TRUE(json.failed());
    }
    std::fclose(full);
}
