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
#include "library/RVFileSystemUtil.h"
#include "metadata/RVNativePath.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxOperations = 64;
constexpr std::size_t kMaxPathBytes = 600; // far below PATH_MAX: too long is another matter

struct Name
{
    const char* text;
    bool video; // what the walk must collect when it is a real file's name
};

// Folder names and recording names of the camera families, their side files, and names that
// are close to them but no recording.
constexpr Name kNames[] = {
    {"DCIM", false},
    {"Movie", false},
    {"RO", false},
    {"100MEDIA", false},
    {"Record", false},
    {".hidden", false},
    {"20260516_181000_NF.mp4", true},
    {"20260516_181000_NR.mp4", true},
    {"20260516_181000_NI.mp4", true},
    {"20260516_181002_PF.MOV", true},
    {"20260516_181000_N.gps", false},
    {"2026_0516_181000_001F.MP4", true},
    {"2026_0516_181001_002R.MP4", true},
    {"NO20260516-181000-000123F.mp4", true},
    {"NO20260516-181000-000124B.mp4", true},
    {"FILE0001.MOV", true},
    {"AMBA0001.MP4", true},
    {"clip.Mp4", true},
    {"._CLIP.MOV", true},
    {"mov", false},
    {"notes.txt", false},
    {"\xff\xfe.mp4", true}, // not UTF-8
};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];

[[noreturn]] void broken(const char* promise, const std::string& path)
{
    std::fprintf(stderr, "folder walk: %s: %s\n", promise, path.c_str());
    std::abort();
}

// A movie header of one minute ("moov" holding a version 0 "mvhd": time scale 1000, duration
// 60000), so that each file's length is read from it and FFmpeg never probes an empty file.
std::string movieHeader()
{
    std::string box(116, '\0');
    const auto put32 = [&box](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            box[at + i] = char(value >> (24 - 8 * i));
    };
    put32(0, 116);
    box.replace(4, 4, "moov");
    put32(8, 108);
    box.replace(12, 4, "mvhd");
    put32(28, 1000);       // time scale, units per second
    put32(32, 60000);      // duration in those units
    put32(36, 0x00010000); // rate 1.0
    return box;
}

// A new file holding the movie header; false when something is at the path already.
bool writeFile(const std::string& path)
{
    static const std::string header = movieHeader();
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    if (::write(fd, header.data(), header.size()) != ssize_t(header.size()))
        broken("cannot write", path);
    ::close(fd);
    return true;
}

std::string relative(const std::string& target, const std::string& fromFolder)
{
    return fs::path(target).lexically_relative(fs::path(fromFolder)).string();
}

struct Tree
{
    std::string work;    // private, made for each input and removed after it
    std::string card;    // the folder scanned
    std::string outside; // a folder beside it
    std::string outsideFile;
    std::vector<std::string> folders{}; // real folders inside the card, the card first
    std::vector<std::string> files{};   // real files inside the card
    std::vector<std::pair<std::string, bool>> realFiles{}; // with whether the name is a video's
    std::vector<std::string> links{};

    void build(const std::uint8_t* data, std::size_t size);

private:
    void symbolicLink(const std::string& path, std::uint8_t target);
};

void Tree::build(const std::uint8_t* data, std::size_t size)
{
    ::mkdir(outside.c_str(), 0755);
    ::mkdir((outside + "/DCIM").c_str(), 0755);
    writeFile(outsideFile);
    ::mkdir(card.c_str(), 0755);
    folders.push_back(card);

    for (std::size_t op = 0; op < kMaxOperations && size >= 4; ++op, data += 4, size -= 4) {
        const std::string& parent = folders[data[1] % folders.size()];
        const Name& name = kNames[data[2] % kNameCount];
        const std::string path = parent + "/" + name.text;
        if (path.size() > kMaxPathBytes)
            continue;
        // Nothing is ever made where something already is, so no link is written through.
        switch (data[0] % 5) {
        case 0:
            if (::mkdir(path.c_str(), 0755) == 0)
                folders.push_back(path);
            break;
        case 1: {
            if (writeFile(path)) {
                files.push_back(path);
                realFiles.emplace_back(path, name.video);
            }
            break;
        }
        case 2:
            symbolicLink(path, data[3]);
            break;
        case 3: {
            // A second name for a file of the card, or for the file outside it.
            const std::string& source =
                files.empty() || data[3] % 4 == 0 ? outsideFile : files[data[3] % files.size()];
            if (::link(source.c_str(), path.c_str()) == 0)
                realFiles.emplace_back(path, name.video);
            break;
        }
        case 4:
            ::mkfifo(path.c_str(), 0644);
            break;
        }
    }
}

void Tree::symbolicLink(const std::string& path, std::uint8_t target)
{
    const std::string folder = fs::path(path).parent_path().string();
    const std::size_t index = target / 12;
    std::string to;
    switch (target % 12) {
    case 0:
        to = folders[index % folders.size()];
        break;
    case 1:
        to = relative(folders[index % folders.size()], folder);
        break;
    case 2:
    case 3:
        if (files.empty())
            return;
        to = files[index % files.size()];
        if (target % 12 == 3)
            to = relative(to, folder);
        break;
    case 4:
        if (links.empty())
            return;
        to = links[index % links.size()];
        break;
    case 5:
        to = index % 2 ? outside : relative(outside, folder);
        break;
    case 6:
        to = index % 2 ? outsideFile : relative(outsideFile, folder);
        break;
    case 7:
        to = "/";
        break;
    case 8:
        to = relative(work, folder); // the folder that holds the card
        break;
    case 9:
        to = index % 2 ? "." : "..";
        break;
    case 10:
        to = fs::path(path).filename().string(); // itself
        break;
    default:
        // Nothing there yet; a later operation may make it.
        to = kNames[index % kNameCount].text;
        break;
    }
    if (::symlink(to.c_str(), path.c_str()) == 0)
        links.push_back(path);
}

using FileId = std::pair<dev_t, ino_t>;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The walk logs each link it does not follow; what it reports is checked, not its log.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    Tree tree;
    tree.work = (fs::temp_directory_path() / "korvela-walk-XXXXXX").string();
    if (!::mkdtemp(tree.work.data()))
        broken("cannot make a private folder", tree.work);
    tree.card = tree.work + "/card";
    tree.outside = tree.work + "/outside";
    tree.outsideFile = tree.outside + "/DCIM/20260516_181000_NF.mp4";
    tree.build(data + 1, size - 1);

    std::string scanned = tree.card;
    if (data[0] % 3 == 1)
        scanned += "/";
    if (data[0] % 3 == 2) {
        scanned = tree.work + "/card-link";
        if (::symlink("card", scanned.c_str()) != 0)
            broken("cannot link to the card", scanned);
    }

    RVVideoFileList found;
    RVFileSystemUtil::scanVideoFilesFrom(RVNativePath::decode(QByteArray::fromStdString(scanned)),
                                         found);

    char* resolvedCard = ::realpath(tree.card.c_str(), nullptr);
    if (!resolvedCard)
        broken("the card is gone", tree.card);
    const std::string inside = std::string(resolvedCard) + "/";
    std::free(resolvedCard);

    std::set<FileId> reported;
    for (const RVVideoFilePtr& recording : found) {
        for (const RVVideoView& view : recording->views()) {
            const std::string path = RVNativePath::encode(view.filePath).toStdString();
            char* resolved = ::realpath(path.c_str(), nullptr);
            if (!resolved)
                broken("reported a path that leads nowhere", path);
            const std::string target(resolved);
            std::free(resolved);
            if (target.compare(0, inside.size(), inside) != 0)
                broken("reported a file outside the folder", path + " -> " + target);
            struct stat st;
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                broken("reported something that is not a regular file", path);
            if (!reported.insert({st.st_dev, st.st_ino}).second)
                broken("reported a file twice", path);
        }
    }
    for (const auto& [path, video] : tree.realFiles) {
        struct stat st;
        if (video && ::stat(path.c_str(), &st) == 0 && !reported.count({st.st_dev, st.st_ino}))
            broken("missed a recording", path);
    }

    // Links are removed, never followed.
    std::error_code error;
    fs::remove_all(tree.work, error);
    if (error)
        broken("cannot remove the work folder", tree.work);
    return 0;
}
