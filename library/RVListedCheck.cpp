#include "library/RVListedCheck.h"

#include "core/platform/RVPlatformFile.h"

QString RVListedCheck::description() const
{
    switch (change) {
    case RVListedChange::None:
        return path + QStringLiteral(": unchanged");
    case RVListedChange::Missing:
        return path + QStringLiteral(": no longer there");
    case RVListedChange::Remounted:
        return path + QStringLiteral(": its card was mounted again or replaced");
    case RVListedChange::OtherFile:
        return path + QStringLiteral(": another file has this name now");
    case RVListedChange::Resized:
        return path + QStringLiteral(": its size changed");
    }
    return path;
}

RVListedCheck checkListedRecording(const RVVideoFile& file)
{
    const std::vector<RVVideoView>& views = file.views();
    for (std::size_t i = 0; i < views.size() && i < file.fileIds().size(); ++i) {
        const QString& path = views[i].filePath;
        const RVPlatformFile::Info now = RVPlatformFile::stat(path);
        if (now.kind == RVPlatformFile::Kind::Missing) {
            // A card that answers with errors says nothing about which files it holds: the
            // command goes on and reports what it could not do, file by file.
            if (RVPlatformFile::exists(path))
                continue;
            return {RVListedChange::Missing, path};
        }
        if (now.kind != RVPlatformFile::Kind::Regular)
            return {RVListedChange::OtherFile, path};
        // The mount first: a card put back in the same slot may get the device numbers and
        // even the inode numbers of the one before (FAT has no inodes; the driver numbers
        // files as it meets them), but never the same mount.
        const std::uint64_t listedMount = i < file.mountIds().size() ? file.mountIds()[i] : 0;
        if (listedMount != 0 && now.mountId != 0 && listedMount != now.mountId)
            return {RVListedChange::Remounted, path};
        if (RVFileId{now.device, now.inode} != file.fileIds()[i])
            return {RVListedChange::OtherFile, path};
        if (i < file.fileSizes().size() && now.size != file.fileSizes()[i])
            return {RVListedChange::Resized, path};
    }
    return {};
}
