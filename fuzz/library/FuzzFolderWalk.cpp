// The walk that collects a card's recordings, over small trees that the input describes: real
// folders and files with the names cameras write, hard links, pipes, and symbolic links that
// lead to folders and files inside the card, out of it, to "/", to the card itself, in loops,
// to themselves or to nothing. The tree is built in a private temporary folder and removed
// after each input. What the walk promises, checked for every tree:
//   - every file reported lies inside the scanned folder once its links are resolved, and is a
//     regular file (a pipe would block whoever opens it);
//   - no file is reported twice, however many names or links lead to it;
//   - every video file stored under a real path inside the folder is reported;
//   - the walk ends (a walk that does not is libFuzzer's timeout).
//
// Input: one byte choosing how the folder is named to the walk (its path, the path with a
// trailing "/", a link to it), then operations of four bytes each: kind, parent folder, name,
// and for links and hard links what they point to.
#include "core/RVNativePath.h"
#include "library/RVFileSystemUtil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Folder names, a side file and names close to recordings' that are none; from kFirstVideo on,
// recording names of the camera families (the last not UTF-8), which the walk must collect.
const QList<QByteArray> kNames =
    QByteArray("DCIM Movie RO 100MEDIA Record .hidden 20260516_181000_N.gps mov notes.txt "
               "20260516_181000_NF.mp4 20260516_181000_NR.mp4 20260516_181000_NI.mp4 "
               "20260516_181002_PF.MOV 2026_0516_181000_001F.MP4 2026_0516_181001_002R.MP4 "
               "NO20260516-181000-000123F.mp4 NO20260516-181000-000124B.mp4 FILE0001.MOV "
               "AMBA0001.MP4 clip.Mp4 ._CLIP.MOV \xff\xfe.mp4")
        .split(' ');
constexpr std::size_t kFirstVideo = 9;

[[noreturn]] void broken(const char* promise, const std::string& path)
{
    std::fprintf(stderr, "folder walk: %s: %s\n", promise, path.c_str());
    std::abort();
}

// A new file holding a movie header of one minute ("moov" with a version 0 "mvhd": time scale
// 1000 at offset 28, duration 60000 at 32, rate 1.0 at 36), so that each length is read from
// it and FFmpeg never probes an empty file. False when something is at the path already ("x":
// never through an existing name or link).
bool writeFile(const std::string& path)
{
    static const QByteArray header =
        QByteArray::fromHex("000000746d6f6f760000006c6d766864" + QByteArray(32, '0') +
                            "000003e80000ea6000010000") +
        QByteArray(76, '\0');
    FILE* file = std::fopen(path.c_str(), "wbx");
    if (file && (std::fwrite(header.data(), 1, 116, file) != 116 || std::fclose(file) != 0))
        broken("cannot write", path);
    return file != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The walk logs each link it does not follow; what it reports is checked, not its log.
    [[maybe_unused]] static const auto quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::string work = (fs::temp_directory_path() / "korvela-walk-XXXXXX").string();
    if (size < 1 || !::mkdtemp(work.data()))
        return 0;
    const std::string card = work + "/card", outside = work + "/outside",
                      outsideFile = outside + "/DCIM/X.mp4";
    fs::create_directories(outside + "/DCIM");
    ::mkdir(card.c_str(), 0755);
    writeFile(outsideFile);
    std::vector<std::string> folders{card}, files, links, videos; // videos: real names of videos

    // Nothing is ever made where something already is, so no link is written through.
    for (std::size_t at = 1; at + 4 <= size && at < 1 + 4 * 64; at += 4) {
        const std::uint8_t kind = data[at] % 5, target = data[at + 3];
        const std::size_t name = data[at + 2] % std::size_t(kNames.size());
        const std::string folder = folders[data[at + 1] % folders.size()],
                          path = folder + "/" + kNames[name].toStdString();
        if (kind == 0 && ::mkdir(path.c_str(), 0755) == 0)
            folders.push_back(path);
        if (kind == 1 && writeFile(path)) {
            files.push_back(path);
            if (name >= kFirstVideo)
                videos.push_back(path);
        }
        // A second name for a file of the card or for the one outside it.
        const std::string& source =
            files.empty() || target % 4 == 0 ? outsideFile : files[target % files.size()];
        if (kind == 3 && ::link(source.c_str(), path.c_str()) == 0 && name >= kFirstVideo)
            videos.push_back(path);
        if (kind == 4)
            ::mkfifo(path.c_str(), 0644);
        if (kind != 2)
            continue;
        // Inside or out, absolute or relative: a folder, a file, another link, the folder outside
        // and its file, "/", the folder holding the card, itself, a name not made yet.
        const std::string self = kNames[name].toStdString(),
                          notYet = kNames[target % std::size_t(kNames.size())].toStdString();
        std::vector<std::string> to = {
            folders[target % folders.size()], outside, outsideFile, "/", work, self, notYet};
        if (!files.empty())
            to.push_back(files[target % files.size()]);
        if (!links.empty())
            to.push_back(links[target % links.size()]);
        std::string chosen = to[(target / 2) % to.size()];
        if (target % 2 && chosen[0] == '/')
            chosen = fs::path(chosen).lexically_relative(folder).string();
        if (::symlink(chosen.c_str(), path.c_str()) == 0)
            links.push_back(path);
    }

    std::string scanned = card + (data[0] % 3 == 1 ? "/" : "");
    if (data[0] % 3 == 2 && ::symlink("card", (scanned = work + "/card-link").c_str()) != 0)
        broken("cannot link to the card", scanned);
    RVVideoFileList found;
    RVFileSystemUtil::scanVideoFilesFrom(RVNativePath::decode(QByteArray::fromStdString(scanned)),
                                         found);
    const std::string inside = fs::canonical(card).string() + "/";
    std::set<std::pair<dev_t, ino_t>> reported;
    for (const RVVideoFilePtr& recording : found) {
        for (const RVVideoView& view : recording->views()) {
            const std::string path = RVNativePath::encode(view.filePath).toStdString();
            const std::string target = fs::canonical(path).string(); // throws when it leads nowhere
            struct stat st;
            if (target.compare(0, inside.size(), inside) != 0)
                broken("reported a file outside the folder", path + " -> " + target);
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
                !reported.insert({st.st_dev, st.st_ino}).second)
                broken("reported something that is no regular file, or a file twice", path);
        }
    }
    for (const std::string& path : videos) {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && !reported.count({st.st_dev, st.st_ino}))
            broken("missed a recording", path);
    }
    fs::remove_all(work); // links are removed, never followed; a failure throws
    return 0;
}
