// Novatek cameras recording MPEG transport streams (".TS" files of the TS mode; Viofo A119 V3,
// Blueskysea B4K and others built on the NT96670 family).
//
// The track is an elementary stream of its own: a PES stream of private data (stream type
// 0x06 in the program map), one packet a second, each packet one fix record. FFmpeg's
// demuxer finds the stream and hands over each packet's payload; the other streams are
// discarded unread. The record is the body of the freeGPS block the same cameras write into
// MP4 files, without the block's 16-byte head ("size", "freeGPS ", 4 bytes), all little-endian:
//   +0 u32 hour, +4 u32 minute, +8 u32 second, +12 u32 year - 2000, +16 u32 month, +20 u32 day
//   +24 'A' valid / 'V' void, +25 'N'/'S', +26 'E'/'W', +27 pad
//   +28 f32 latitude, +32 f32 longitude (NMEA ddmm.mmmm), +36 f32 speed (knots),
//   +40 f32 course (degrees), then on some firmware three s32 accelerations in 1/256 g
// so a record is read by the Novatek block reader behind a made-up head (RVNovatekMetaData-
// Reader::readBlock). Some models put 164 bytes of their own before the record (Blueskysea
// B4K); a packet is tried at both places. A packet in any other layout gives nothing.
//
// Unlike the MP4 blocks, the records of the TS mode are dated by the camera's own clock, the
// clock its file names follow (a Viofo A119 V3 sample near Moscow: name 08:07:20, first record
// 08:07:24 on the same day), so they are read by the card's clock rule like the names
// (RVMetaData::localClock).
//
// The stream is read to its end: a transport stream has no index, so an hour at 30 Mbit/s is
// 13 GB read once (at the card's or disk's speed); packets of other streams are skipped by the
// demuxer without being assembled.

#include "library/RVTsMetaDataReader.h"

#include "library/RVFormatLibrary.h"

#include "core/RVNativePath.h"
#include "metadata/RVMetaPath.h"
#include "metadata/freegps/RVFreeGps.h"

#include <QByteArray>

#include <memory>

namespace {

constexpr std::size_t kBlockHead = 16;
constexpr std::size_t kLongPrefix = 164;
constexpr std::size_t kRecordWithSensor = 56; // 44 bytes of fix, three s32 accelerations
// A record is under 100 bytes; larger packets are no records of this kind.
constexpr int kMaxPacketBytes = 4096;

bool isTransportStreamName(const QString& path)
{
    return path.endsWith(QLatin1String(".ts"), Qt::CaseInsensitive);
}

std::unique_ptr<RVMetaDataReader> makeReader()
{
    return std::make_unique<RVTsMetaDataReader>();
}

} // namespace

void RVTsMetaDataReader::install()
{
    RVMetaDataReader::addReader({"MPEG-TS", &makeReader});
}

RVTsMetaDataReader::Record RVTsMetaDataReader::readRecord(std::string_view payload)
{
    for (const std::size_t skip : {std::size_t(0), kLongPrefix}) {
        if (payload.size() <= skip)
            break;
        QByteArray block(int(kBlockHead), '\0');
        const std::uint32_t size = std::uint32_t(kBlockHead + payload.size() - skip);
        block[0] = char(size >> 24);
        block[1] = char(size >> 16);
        block[2] = char(size >> 8);
        block[3] = char(size);
        block.replace(4, 8, "freeGPS ");
        block.append(payload.data() + skip, qsizetype(payload.size() - skip));
        // The block reader needs the full record; a short packet is padded, never overread.
        block.append(QByteArray(64, '\0'));
        const RVFreeGps::Block read =
            RVFreeGps::read(std::string_view(block.constData(), std::size_t(block.size())));
        if (read.status == RVFreeGps::Block::Status::Fix ||
            read.status == RVFreeGps::Block::Status::NoFix) {
            Record record{true, {}, 0, {}};
            if (!read.fixes.empty()) {
                record.point = read.fixes.front().point;
                record.speedKmh = read.fixes.front().speedKmh;
            }
            // A record without the three accelerations holds no sample: the padding is no
            // reading.
            if (!read.samples.empty() && payload.size() - skip >= kRecordWithSensor)
                record.sample = read.samples.front();
            return record;
        }
    }
    return {};
}

std::optional<RVMetaData>
RVTsMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVTsMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                    RVDecline& why) const
{
    why = {RVDecline::Kind::NotMine, {}};
    if (!isTransportStreamName(videoPath))
        return std::nullopt;
    {
        // Only regular files are handed to FFmpeg: a FIFO would block its open.
        RVRegularFile file;
        if (!RVMetaPath::openRegularFile(file, videoPath)) {
            why = {RVDecline::Kind::Unreadable, videoPath + QStringLiteral(": cannot be opened")};
            return std::nullopt;
        }
    }
    const RVFormatLibrary* av = RVFormatLibrary::get();
    if (!av) {
        why = {RVDecline::Kind::Unreadable, QStringLiteral("FFmpeg's libavformat is missing")};
        return std::nullopt;
    }
    const QByteArray native = RVNativePath::encode(videoPath);
    AVFormatContext* raw = nullptr;
    if (av->openInput(&raw, native.constData(), av->findInputFormat("mpegts"), nullptr) < 0) {
        why = {RVDecline::Kind::NotMine, videoPath + QStringLiteral(": not a transport stream")};
        return std::nullopt;
    }
    const auto close = [av](AVFormatContext* context) { av->closeInput(&context); };
    std::unique_ptr<AVFormatContext, decltype(close)> context(raw, close);
    const auto freePacket = [av](AVPacket* packet) { av->packetFree(&packet); };
    std::unique_ptr<AVPacket, decltype(freePacket)> packet(av->packetAlloc(), freePacket);
    if (!packet)
        return std::nullopt;

    // The private data streams; the demuxer skips the packets of all others. A camera need not
    // list its stream in the program map (a Viofo A119 V3 writes private_stream_2 packets on a
    // PID of their own): the demuxer adds such a stream when its first packet comes, so the
    // streams are looked at again as they grow.
    unsigned looked = 0;
    const auto lookAtNewStreams = [&] {
        for (; looked < context->nb_streams; ++looked) {
            AVStream* stream = context->streams[looked];
            const bool isPrivate = stream->codecpar->codec_type == AVMEDIA_TYPE_DATA ||
                                  stream->codecpar->codec_type == AVMEDIA_TYPE_UNKNOWN;
            stream->discard = isPrivate ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        }
    };
    lookAtNewStreams();

    RVMetaData data;
    bool anyRecord = false;
    bool anyPrivatePacket = false;
    while (av->readFrame(context.get(), packet.get()) >= 0) {
        lookAtNewStreams();
        const AVStream* stream = context->streams[packet->stream_index];
        anyPrivatePacket = anyPrivatePacket || stream->discard != AVDISCARD_ALL;
        if (stream->discard != AVDISCARD_ALL && packet->size > 0 &&
            packet->size <= kMaxPacketBytes) {
            const Record record = readRecord(std::string_view(
                reinterpret_cast<const char*>(packet->data), std::size_t(packet->size)));
            anyRecord = anyRecord || record.recognised;
            if (record.point) {
                data.points.push_back(*record.point);
                data.velocityData.push_back(record.speedKmh);
            }
            if (record.sample)
                data.gSensorData.push_back(*record.sample);
        }
        av->packetUnref(packet.get());
    }
    data.localClock = !data.points.empty();
    if (!anyPrivatePacket) {
        why = {RVDecline::Kind::NotMine, videoPath + QStringLiteral(": no private data stream")};
        return std::nullopt;
    }
    if (!anyRecord) {
        why = {RVDecline::Kind::UnknownLayout,
               videoPath + QStringLiteral(": private data in an unknown layout")};
        return std::nullopt;
    }
    return data;
}
