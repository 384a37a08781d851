// Unpacking an archive from the network: whatever the bytes, nothing is written outside the
// destination folder, not even through a symbolic link planted inside it.
#include "update/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir* s_root = nullptr;

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

QStringList entriesOf(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                QDir::System);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quiet);
    s_root = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/fuzz_unzip-XXXXXX"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString root = s_root->path();
    const QString archive = root + QStringLiteral("/archive.zip");
    const QString box = root + QStringLiteral("/box");
    const QString destination = box + QStringLiteral("/out");
    const QString outside = root + QStringLiteral("/outside");
    QDir().mkpath(destination);
    QDir().mkpath(outside);
    QFile::link(outside, destination + QStringLiteral("/link"));
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    ZipArchive zip;
    if (zip.UnzipOpenFile(archive))
        zip.UnzipFileTo(destination, true);
    zip.UnzipCloseFile();

    if (entriesOf(root) != QStringList({QStringLiteral("archive.zip"), QStringLiteral("box"),
                                        QStringLiteral("outside")}) ||
        entriesOf(box) != QStringList({QStringLiteral("out")}) || !entriesOf(outside).isEmpty() ||
        !QFileInfo(destination + QStringLiteral("/link")).isSymLink())
        std::abort();
    QDir(destination).removeRecursively();
    return 0;
}
