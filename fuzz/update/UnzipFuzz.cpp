// Unpacking an archive from the network: whatever the bytes, nothing is written outside the
// destination folder, not even through a symbolic link planted inside it, and every link the
// archive brings points inside the destination.
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

// True when every link below destination that came from the archive resolves, as far as it
// resolves at all, inside destination.
bool linksStayInside(const QString& destination)
{
    const QString inside = QFileInfo(destination).canonicalFilePath() + QLatin1Char('/');
    QDirIterator it(destination,
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (!info.isSymLink() || info.fileName() == QLatin1String("link"))
            continue;
        const QString resolved =
            info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.symLinkTarget());
        if (!(resolved + QLatin1Char('/')).startsWith(inside))
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
    zip.setLimits({8 << 20, 512}); // keeps each run short; the bounds themselves are tested
    if (zip.UnzipOpenFile(archive))
        zip.UnzipFileTo(destination, true);
    zip.UnzipCloseFile();

    if (entriesOf(root) != QStringList({QStringLiteral("archive.zip"), QStringLiteral("box"),
                                        QStringLiteral("outside")}) ||
        entriesOf(box) != QStringList({QStringLiteral("out")}) || !entriesOf(outside).isEmpty() ||
        !QFileInfo(destination + QStringLiteral("/link")).isSymLink() ||
        !linksStayInside(destination))
        std::abort();
    QDir(destination).removeRecursively();
    return 0;
}
