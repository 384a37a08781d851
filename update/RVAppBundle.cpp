#include "update/RVAppBundle.h"

#include "core/platform/RVPlatformFile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// Flushes a file's data, or a folder's entries, to the disk.
bool syncToDisk(const fs::path& path, std::error_code& error)
{
    if (const int failure = RVPlatformFile::syncPath(QByteArray::fromStdString(path.native()))) {
        error.assign(failure, std::generic_category());
        return false;
    }
    return true;
}

// Copies the tree at from to the new path to: folders and regular files with their
// permissions, symbolic links as links. Every file is synced once written and every folder
// once its entries are made, so the whole copy is on the disk before the switch makes it the
// program that starts: after a power cut the bundle is the old one or the complete new one,
// never one with files the disk had not yet been given. Anything else (a pipe, a device)
// fails the copy.
bool copySynced(const fs::path& from, const fs::path& to, std::error_code& error)
{
    const fs::file_status status = fs::symlink_status(from, error);
    if (error)
        return false;
    switch (status.type()) {
    case fs::file_type::symlink:
        fs::copy_symlink(from, to, error);
        return !error;
    case fs::file_type::regular:
        return fs::copy_file(from, to, error) && syncToDisk(to, error);
    case fs::file_type::directory: {
        if (!fs::create_directory(to, from, error))
            return false;
        for (fs::directory_iterator entry(from, error), end; !error && entry != end;
             entry.increment(error)) {
            if (!copySynced(entry->path(), to / entry->path().filename(), error))
                return false;
        }
        return !error && syncToDisk(to, error);
    }
    default:
        error = std::make_error_code(std::errc::not_supported);
        return false;
    }
}

// Swaps the two entries in one step, so that no moment passes without a bundle at the
// target. 0, else the error number (EINVAL where the file system cannot).
int exchange(const fs::path& a, const fs::path& b)
{
    return RVPlatformFile::exchange(QByteArray::fromStdString(a.native()),
                                    QByteArray::fromStdString(b.native()));
}

} // namespace

std::optional<QString> RVAppBundle::bundleOfExecutable(const QString& executablePath)
{
    const QFileInfo exe(executablePath);
    const QDir binDir = exe.absoluteDir();
    if (exe.fileName() != QFileInfo(QLatin1String(kExecutable)).fileName() ||
        binDir.dirName() != QLatin1String("bin"))
        return std::nullopt;
    const QFileInfo bundle(binDir.absolutePath() + QLatin1String("/.."));
    const QString bundlePath = QDir::cleanPath(bundle.absoluteFilePath());
    if (QFileInfo(bundlePath).fileName() != QLatin1String(kBundleName))
        return std::nullopt;
    return bundlePath;
}

bool RVAppBundle::canReplace(const QString& bundle)
{
    const QFileInfo info(bundle);
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    if (path.startsWith(QLatin1String("/usr/")))
        return false;
    const QFileInfo parent(info.absolutePath());
    return info.isDir() && info.isWritable() && parent.isWritable();
}

QString RVAppBundle::executableOf(const QString& bundle)
{
    return bundle + QLatin1Char('/') + QLatin1String(kExecutable);
}

void RVAppBundle::removeFolder(const QString& path)
{
    std::error_code error;
    fs::remove_all(toPath(path), error);
    if (error)
        qWarning().noquote() << "Could not remove" << path << ":"
                             << QString::fromStdString(error.message());
}

bool RVAppBundle::replaceBundle(const QString& source, const QString& target)
{
    const fs::path from = toPath(source);
    const fs::path to = toPath(target);
    const fs::path staging = to.parent_path() / ("." + to.filename().string() + ".new");
    const fs::path previous = to.parent_path() / ("." + to.filename().string() + ".old");
    std::error_code error;
    const auto fail = [&](const char* what) {
        qWarning().noquote() << what << target << ":" << QString::fromStdString(error.message());
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        return false;
    };

    fs::remove_all(staging, error);
    fs::remove_all(previous, error);
    error.clear();
    if (!copySynced(from, staging, error))
        return fail("Could not copy the new version to");

    const bool hadTarget = fs::symlink_status(to, error).type() != fs::file_type::not_found;
    error.clear();
    const int swapError = hadTarget ? exchange(staging, to) : EINVAL;
    if (hadTarget && swapError == 0) {
        // The old bundle now sits where the new one was made.
        fs::remove_all(staging, error);
        if (error)
            qWarning().noquote() << "Could not remove the previous version beside" << target << ":"
                                 << QString::fromStdString(error.message());
    } else if (hadTarget && swapError != EINVAL && swapError != ENOSYS) {
        error.assign(swapError, std::generic_category());
        return fail("Could not put in place");
    } else {
        // Without an atomic swap: move the old bundle aside, then the new one in.
        if (hadTarget) {
            fs::rename(to, previous, error);
            if (error)
                return fail("Could not move aside");
        }
        fs::rename(staging, to, error);
        if (error) {
            std::error_code ignored;
            if (hadTarget)
                fs::rename(previous, to, ignored);
            return fail("Could not put in place");
        }
        fs::remove_all(previous, error);
    }
    // The renames themselves are entries of the folder that holds the bundle.
    error.clear();
    if (!syncToDisk(to.parent_path(), error))
        qWarning().noquote() << "Could not sync the folder of" << target << ":"
                             << QString::fromStdString(error.message());
    return true;
}
