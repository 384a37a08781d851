#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <string>
#include <vector>

class QIODevice;

// What an ISO media file is made of, for a maintainer adding a camera: the box tree, the
// tracks' handlers and codec tags, and a first look (at most kHeadBytes) into the boxes a
// video player does not know and into the first sample of every track that is not video.
// Video frames are never read, nor the text of the place a recording was made ("©xyz").
struct RVProbeBox final
{
    std::string type; // four characters; bytes outside printable ASCII as \xNN
    qint64 offset = 0;
    qint64 size = 0; // header included, as far as the file holds it
    QByteArray head; // the payload's first bytes, for boxes not known to hold media structure
    std::vector<RVProbeBox> children;
};

struct RVProbeTrack final
{
    std::string handler; // "vide", "soun", "text", "meta", ...
    std::string codec;   // the first sample description's format ("avc1", "mp4a", "gpmd")
    qint64 firstSampleOffset = -1;
    qint64 firstSampleSize = 0;
    QByteArray firstSampleHead; // for tracks that are not video
};

struct RVMediaProbe final
{
    static constexpr qint64 kHeadBytes = 256;
    static constexpr int kMaxBoxes = 2000; // fragmented recordings hold thousands of moof
    static constexpr int kMaxDepth = 10;

    std::vector<RVProbeBox> boxes;
    bool truncated = false; // more boxes than kMaxBoxes
    std::vector<RVProbeTrack> tracks;

    static RVMediaProbe read(QIODevice& device, qint64 fileSize);
};
