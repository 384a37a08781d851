// Unpacking an archive from the network: whatever the bytes, nothing is written outside the
// destination folder, not even through a symbolic link planted inside it, and every link the
// archive brings points inside the destination.
#include "fuzz/FuzzInput.h"
#include "update/ZipArchive.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir* s_root = nullptr;
constexpr QDir::Filters kAll =
    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// True when every link below destination that came from the archive resolves, as far as it
// resolves at all, inside destination.
bool linksStayInside(const QString& destination)
{
    const QString inside = QFileInfo(destination).canonicalFilePath() + QLatin1Char('/');
    for (QDirIterator it(destination, kAll, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo info(it.next());
        const QString resolved =
            info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.symLinkTarget());
        if (info.isSymLink() && info.fileName() != QLatin1String("link") &&
            !(resolved + QLatin1Char('/')).startsWith(inside))
            return false;
    }
    return true;
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
    const QDir root(s_root->path());
    const QString destination = root.filePath(QStringLiteral("box/out"));
    QDir().mkpath(destination);
    root.mkdir(QStringLiteral("outside"));
    QFile::link(root.filePath(QStringLiteral("outside")), destination + QStringLiteral("/link"));
    QFile archive(root.filePath(QStringLiteral("archive.zip")));
    if (!archive.open(QIODevice::WriteOnly) || archive.write(fuzzBytes(data, size)) != qint64(size))
        std::abort();
    archive.close();

    ZipArchive zip;
    zip.setLimits({8 << 20, 512}); // keeps each run short; the bounds themselves are tested
    if (zip.UnzipOpenFile(archive.fileName()))
        zip.UnzipFileTo(destination);
    zip.UnzipCloseFile();

    if (root.entryList(kAll) != QStringList({QStringLiteral("archive.zip"), QStringLiteral("box"),
                                             QStringLiteral("outside")}) ||
        QDir(root.filePath(QStringLiteral("box"))).entryList(kAll) !=
            QStringList({QStringLiteral("out")}) ||
        !QDir(root.filePath(QStringLiteral("outside"))).isEmpty(kAll) ||
        !QFileInfo(destination + QStringLiteral("/link")).isSymLink() ||
        !linksStayInside(destination))
        std::abort();
    QDir(destination).removeRecursively();
    return 0;
}
