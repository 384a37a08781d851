// A settings file that cannot be what it claims (a pipe, a huge file) is set aside at start, so
// the program starts at once with its defaults and says where the file went.
#include "core/RVSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(SettingsFile, PipeOrOversizedFileIsSetAsideAndTheDefaultsApply)
{
    const QString path = QFileInfo(RVSettings::store().fileName()).absoluteFilePath();
    QDir folder = QFileInfo(path).dir();
    ASSERT_TRUE(folder.mkpath("."));
    const auto asideFiles = [&] {
        return folder.entryList({"Korvela Player.conf.refused-*"}, QDir::AllEntries | QDir::System);
    };
    for (const bool pipe : {true, false}) {
        QFile::remove(path);
        for (const QString& old : asideFiles())
            folder.remove(old);
        QFile file(path);
        if (pipe)
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("[General]\nX=1\n") > 0 &&
                        file.resize(RVSettings::kMaxStoreBytes + 1));
        file.close();
        const std::optional<QString> note = RVSettings::setAsideUnusableStore();
        ASSERT_TRUE(note);
        EXPECT_TRUE(note->contains(path) && note->contains("kept aside")) << note->toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_EQ(asideFiles().size(), 1);
        // Reading the store now returns at once, with the defaults.
        EXPECT_TRUE(RVSettings::textValue(RVSettings::kFirmwareUrl).isNull());
    }
    // A sound file, and no file at all, are left alone.
    RVSettings::setText(RVSettings::kFirmwareUrl, "https://example.org/%model%");
    RVSettings::store().sync();
    ASSERT_TRUE(QFileInfo(path).isFile());
    EXPECT_FALSE(RVSettings::setAsideUnusableStore());
    EXPECT_EQ(RVSettings::textValue(RVSettings::kFirmwareUrl), "https://example.org/%model%");
    RVSettings::store().clear();
    QFile::remove(path);
    EXPECT_FALSE(RVSettings::setAsideUnusableStore());
}
