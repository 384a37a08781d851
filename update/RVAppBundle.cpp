#include "update/RVAppBundle.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
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
    fs::copy(from, staging, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error)
        return fail("Could not copy the new version to");

    const bool hadTarget = fs::symlink_status(to, error).type() != fs::file_type::not_found;
    error.clear();
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
    return true;
}
