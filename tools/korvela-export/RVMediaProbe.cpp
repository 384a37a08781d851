// The box tree of an ISO media file (ISO/IEC 14496-12 layout, QuickTime's too):
//   containers whose payload is boxes: moov, trak, mdia, minf, stbl, edts, dinf, udta, mvex,
//   moof, traf, mfra, meta (after 4 bytes of version and flags)
//   hdlr payload: +0 version/flags, +4 pre-defined, +8 handler type (4 characters)
//   stsd payload: +0 version/flags, +4 u32 entry count, +8 first entry: u32 size, 4-char format
//   stco / co64 payload: +0 version/flags, +4 u32 count, +8 u32 / u64 chunk offsets
//   stsz payload: +0 version/flags, +4 u32 size of every sample (0: sizes follow), +8 u32
//   count, +12 u32 sizes
// All big-endian. The first sample of a track lies at its first chunk's offset.

#include "tools/korvela-export/RVMediaProbe.h"

#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"

#include <QIODevice>

#include <algorithm>
#include <set>
#include <string_view>

namespace {

const std::set<std::string_view> kContainers = {"moov", "trak", "mdia", "minf", "stbl",
                                                "edts", "dinf", "udta", "mvex", "moof",
                                                "traf", "mfra", "meta"};
// Boxes of the media structure itself, whose bytes tell a maintainer nothing about a camera,
// and "mdat", which holds the frames.
const std::set<std::string_view> kKnown = {
    "ftyp", "free", "skip", "wide", "mdat", "mvhd", "tkhd", "mdhd", "hdlr", "vmhd", "smhd", "nmhd",
    "gmhd", "dref", "stsd", "stts", "stss", "ctts", "stsc", "stsz", "stz2", "stco", "co64", "elst",
    "sdtp", "sgpd", "sbgp", "mehd", "trex", "mfhd", "tfhd", "trun", "tfdt", "tfra", "mfro", "iods",
    "tref", "pasp", "colr", "btrt", "sidx", "pdin", "cslg", "stps",
    // The place of the recording as text (ISO 6709, 3GPP): private, and no camera's own data.
    "\xa9xyz", "loci"};

std::string typeText(const std::array<char, 4>& type)
{
    std::string out;
    for (const char c : type) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && c != '\\') {
            out.push_back(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        }
    }
    return out;
}

QByteArray readAt(QIODevice& device, qint64 offset, qint64 length)
{
    if (length <= 0 || !device.seek(offset))
        return {};
    return device.read(length);
}

class Reader
{
public:
    Reader(QIODevice& device, RVMediaProbe& probe) : m_device(device), m_probe(probe) {}

    void walk(qint64 begin, qint64 end, int depth, std::vector<RVProbeBox>& into)
    {
        RVBoxWalker walker(m_device, begin, end);
        while (const std::optional<RVBox> box = walker.next()) {
            if (m_count >= RVMediaProbe::kMaxBoxes) {
                m_probe.truncated = true;
                return;
            }
            ++m_count;
            RVProbeBox entry;
            const std::string_view type(box->type.data(), 4);
            entry.type = typeText(box->type);
            entry.offset = box->offset;
            entry.size = box->end - box->offset;
            if (kContainers.count(type) && depth < RVMediaProbe::kMaxDepth) {
                const qint64 start = box->payloadOffset() + (type == "meta" ? 4 : 0);
                walk(start, box->end, depth + 1, entry.children);
                if (type == "trak")
                    readTrack(*box);
            } else if (!kKnown.count(type)) {
                entry.head = readAt(m_device, box->payloadOffset(),
                                    std::min(RVMediaProbe::kHeadBytes, box->payloadSize()));
            }
            into.push_back(std::move(entry));
        }
    }

private:
    // The payload of the first box of the given path below box.
    std::optional<RVBox> find(const RVBox& parent, std::initializer_list<std::string_view> path)
    {
        RVBox at = parent;
        for (const std::string_view type : path) {
            RVBoxWalker walker(m_device, at.payloadOffset(), at.end);
            const std::optional<RVBox> child = walker.find(type);
            if (!child)
                return std::nullopt;
            at = *child;
        }
        return at;
    }

    QByteArray payload(const std::optional<RVBox>& box, qint64 limit)
    {
        if (!box)
            return {};
        return readAt(m_device, box->payloadOffset(), std::min(limit, box->payloadSize()));
    }

    void readTrack(const RVBox& trak)
    {
        RVProbeTrack track;
        const QByteArray hdlr = payload(find(trak, {"mdia", "hdlr"}), 12);
        if (hdlr.size() >= 12)
            track.handler = typeText({hdlr[8], hdlr[9], hdlr[10], hdlr[11]});
        const QByteArray stsd = payload(find(trak, {"mdia", "minf", "stbl", "stsd"}), 16);
        if (stsd.size() >= 16)
            track.codec = typeText({stsd[12], stsd[13], stsd[14], stsd[15]});
        const std::optional<RVBox> stbl = find(trak, {"mdia", "minf", "stbl"});
        if (stbl) {
            const QByteArray stco = payload(find(*stbl, {"stco"}), 12);
            const QByteArray co64 = payload(find(*stbl, {"co64"}), 16);
            const QByteArray stsz = payload(find(*stbl, {"stsz"}), 16);
            const RVByteReader c(std::string_view(stco.constData(), std::size_t(stco.size())));
            const RVByteReader w(std::string_view(co64.constData(), std::size_t(co64.size())));
            const RVByteReader z(std::string_view(stsz.constData(), std::size_t(stsz.size())));
            if (c.u32(4).value_or(0) > 0 && c.u32(8))
                track.firstSampleOffset = *c.u32(8);
            else if (w.u32(4).value_or(0) > 0 && w.u32(8) && w.u32(12))
                track.firstSampleOffset = qint64(std::uint64_t(*w.u32(8)) << 32 | *w.u32(12));
            if (const auto every = z.u32(4); every && *every > 0)
                track.firstSampleSize = *every;
            else if (z.u32(8).value_or(0) > 0 && z.u32(12))
                track.firstSampleSize = *z.u32(12);
        }
        if (track.handler != "vide" && track.firstSampleOffset >= 0)
            track.firstSampleHead =
                readAt(m_device, track.firstSampleOffset,
                       std::min(RVMediaProbe::kHeadBytes, track.firstSampleSize));
        m_probe.tracks.push_back(std::move(track));
    }

    QIODevice& m_device;
    RVMediaProbe& m_probe;
    int m_count = 0;
};

} // namespace

RVMediaProbe RVMediaProbe::read(QIODevice& device, qint64 fileSize)
{
    RVMediaProbe probe;
    Reader(device, probe).walk(0, fileSize, 0, probe.boxes);
    return probe;
}
