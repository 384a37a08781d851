#include "metadata/RVStringUtil.h"
#include "metadata/RVTextSplit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <vector>

TEST(StringUtil, TimeSplitsTruncatedSecondsIntoMinutesAndSeconds)
{
    EXPECT_EQ(RVStringUtil::time(65.9, "%d:%02d"), QStringLiteral("1:05"));
    EXPECT_EQ(RVStringUtil::time(4500, "%d:%02d"), QStringLiteral("75:00"));
    EXPECT_EQ(RVStringUtil::time(65.9, "%02d:%02d"), QStringLiteral("01:05"));
    EXPECT_EQ(RVStringUtil::time(0.99, "%d:%02d"), QStringLiteral("0:00"));
    // Truncation toward zero keeps the sign on both parts.
    EXPECT_EQ(RVStringUtil::time(-65.5, "%d:%d"), QStringLiteral("-1:-5"));
    // Values no 32-bit count can hold must not crash or wrap into nonsense.
    EXPECT_EQ(RVStringUtil::time(std::numeric_limits<double>::quiet_NaN(), "%d:%02d"),
              QStringLiteral("0:00"));
    EXPECT_EQ(RVStringUtil::time(1e300, "%d:%02d"), QStringLiteral("35791394:07"));
}

TEST(StringUtil, DictionaryFromKeyValueLines)
{
    const auto d = RVStringUtil::createDictionaryFromText(
        QStringLiteral("a=b=c\r\n=x\r\nno equals\nversion=1\nversion=2\nversion = 3\nv=1\r2\n"));
    EXPECT_EQ(d.value(QStringLiteral("a")), QStringLiteral("b=c"));
    EXPECT_EQ(d.value(QString()), QStringLiteral("x"));
    EXPECT_EQ(d.value(QStringLiteral("version")), QStringLiteral("2"));
    EXPECT_EQ(d.value(QStringLiteral("version ")), QStringLiteral(" 3"));
    EXPECT_EQ(d.value(QStringLiteral("v")), QStringLiteral("12"));
    EXPECT_FALSE(d.contains(QStringLiteral("no equals")));
    EXPECT_EQ(d.size(), 5);
    EXPECT_TRUE(RVStringUtil::createDictionaryFromText(QString()).isEmpty());
}

// The field splitter looks at sixteen bytes at a time where it can: every comma position,
// inside a block, at its edges and in the tail after the last block, must give the fields a
// plain split gives, including more fields than the splitter keeps, when only the first few
// are wanted, and when one field is taken alone.
TEST(StringUtil, FieldSplitMatchesAPlainSplit)
{
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line(random() % 80, 'x');
        for (char& c : line) {
            if (random() % 4 == 0)
                c = ',';
        }
        std::vector<std::string_view> expected;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == ',') {
                expected.emplace_back(line.data() + start, i - start);
                start = i + 1;
            }
        }
        const RVFieldSplitter fields(line);
        ASSERT_EQ(fields.count(), expected.size()) << line;
        for (std::size_t i = 0; i < expected.size() + 2; ++i) {
            const std::string_view want = i < expected.size() && i < RVFieldSplitter::kKept
                                              ? expected[i]
                                              : std::string_view();
            ASSERT_EQ(fields[i], want) << line << " field " << i;
            if (!want.empty()) {
                ASSERT_EQ(fields[i].data(), want.data()) << "a view into the line";
            }
        }
        // One field alone.
        for (std::size_t i = 0; i < expected.size() + 2; ++i) {
            const std::optional<std::string_view> one = RVFieldSplitter::field(line, i);
            if (i >= expected.size()) {
                ASSERT_FALSE(one) << line << " field " << i;
            } else {
                ASSERT_TRUE(one) << line << " field " << i;
                ASSERT_EQ(*one, expected[i]) << line << " field " << i;
                ASSERT_EQ(one->data(), expected[i].data()) << "a view into the line";
            }
        }
        // Only the first few fields: exact up to there, one more counted when there are more.
        const std::size_t wanted = 1 + random() % 20;
        const RVFieldSplitter first(line, wanted);
        ASSERT_EQ(first.count(), std::min(expected.size(), wanted + 1)) << line << " " << wanted;
        const std::size_t shown = std::min({expected.size(), wanted + 1, RVFieldSplitter::kKept});
        for (std::size_t i = 0; i < shown; ++i) {
            const std::string_view want = i < wanted ? expected[i] : std::string_view();
            ASSERT_EQ(first[i], want) << line << " field " << i << " of " << wanted;
        }
    }
}
