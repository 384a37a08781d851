#include "export/RVBackgroundFlush.h"
#include "export/RVExportFileUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

TEST(BackgroundFlush, KeepsTheFirstFailureForFinish)
{
    // A pipe cannot be flushed to a disk: fdatasync fails with EINVAL.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
        RVBackgroundFlush unused(fds[1]);
        EXPECT_EQ(unused.finish(), QString()) << "no flush was asked for";
    }
    RVBackgroundFlush flush(fds[1]);
    for (int i = 0; i < 50; ++i)
        flush.request();
    EXPECT_EQ(flush.finish(), qt_error_string(EINVAL));
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(BackgroundFlush, LargeStreamedExportIsWrittenWhole)
{
    // Big enough for several background flushes while blocks are still being written, in
    // pieces that do not line up with the blocks.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("long.gpx"));
    QByteArray expected;
    for (int i = 0; expected.size() < (9 << 20); ++i)
        expected += QByteArray::number(i) + (i % 7 == 0 ? "\n" : ",");
    const RVWriteResult result =
        RVExportFileUtil::write(path, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
            for (qsizetype at = 0; at < expected.size(); at += 1000)
                sink.append(
                    std::string_view(expected.constData() + at,
                                     std::size_t(std::min<qsizetype>(1000, expected.size() - at))));
        });
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == expected);
}
