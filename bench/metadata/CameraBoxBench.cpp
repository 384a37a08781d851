// Throughput of the readers of data kept inside the video, on one hour of metadata, in memory
// (one core):
//   CameraBox/NovatekIndex    3,600 "freeGPS " blocks of 32 KiB (variant B), found through the
//                             "gps " index; MB/s of the block heads the reader decodes
//                             (512 bytes a block; the rest of each block is never read)
//   CameraBox/NovatekScan     the same blocks without an index, found by the mdat scan
//   CameraBox/SeventyMai      3,600 36-byte records in a "GPS " box
//   CameraBox/BlackVueFree    a 10 Hz track text and 100 Hz sensor records in a "free" box
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>

#include <bit>
#include <cstdio>

namespace {

constexpr int kSeconds = 3600;

QByteArray be32(std::uint32_t v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

QByteArray box(const char* type, const QByteArray& payload)
{
    return be32(std::uint32_t(payload.size() + 8)) + QByteArray(type, 4) + payload;
}

void putLe(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

QByteArray novatekHour(bool withIndex)
{
    QByteArray mdat(0x8000 - 20, '\0'); // ftyp (12) and the mdat header (8) come first
    QByteArray index = be32(1) + be32(kSeconds);
    for (int s = 0; s < kSeconds; ++s) {
        QByteArray block(0x8000, '\0');
        block.replace(0, 12, be32(0x8000) + "freeGPS ");
        const std::uint32_t fields[] = {std::uint32_t(8 + s / 3600),
                                        std::uint32_t(s / 60 % 60),
                                        std::uint32_t(s % 60),
                                        15,
                                        2,
                                        5};
        for (int i = 0; i < 6; ++i)
            putLe(block, 0x10 + 4 * i, fields[i]);
        block[0x28] = 'A';
        block[0x29] = 'N';
        block[0x2a] = 'E';
        const float floats[] = {5545.1234f + s * 0.001f, 3736.5678f + s * 0.001f, 32.0f, 45.0f};
        for (int i = 0; i < 4; ++i)
            putLe(block, 0x2c + 4 * i, std::bit_cast<std::uint32_t>(floats[i]));
        putLe(block, 0x3c, 12);
        putLe(block, 0x40, std::uint32_t(-30));
        putLe(block, 0x44, 256);
        index += be32(std::uint32_t(0x8000 * (s + 1))) + be32(0x8000);
        mdat += block;
    }
    QByteArray file = box("ftyp", "avc1") + box("mdat", mdat);
    if (withIndex)
        file += box("moov", box("gps ", index));
    return file;
}

template <typename Read>
void run(benchmark::State& state, QByteArray file, qint64 metadataBytes, Read read)
{
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    std::size_t points = 0;
    for (auto _ : state) {
        const std::optional<RVMetaData> data = read(buffer, file.size());
        points = data ? data->points.size() : 0;
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * metadataBytes);
    state.counters["points"] = double(points);
}

void novatekIndex(benchmark::State& state)
{
    run(state, novatekHour(true), qint64(kSeconds) * RVNovatekMetaDataReader::kBlockHeadBytes,
        [](QIODevice& d, qint64 size) {
            return RVNovatekMetaDataReader::readMetaData(d, size, "bench");
        });
}
BENCHMARK(novatekIndex)->Name("CameraBox/NovatekIndex")->Unit(benchmark::kMillisecond);

void novatekScan(benchmark::State& state)
{
    run(state, novatekHour(false), qint64(kSeconds) * RVNovatekMetaDataReader::kBlockHeadBytes,
        [](QIODevice& d, qint64 size) {
            return RVNovatekMetaDataReader::readMetaData(d, size, "bench");
        });
}
BENCHMARK(novatekScan)->Name("CameraBox/NovatekScan")->Unit(benchmark::kMillisecond);

void seventyMai(benchmark::State& state)
{
    QByteArray records;
    for (int s = 0; s < kSeconds; ++s) {
        QByteArray r(36, '\0');
        putLe(r, 8, std::uint32_t(s));
        putLe(r, 12, std::uint32_t(50000 + s));
        r[16] = 'N';
        putLe(r, 17, std::uint32_t(5545123 + s));
        r[21] = 'E';
        putLe(r, 22, std::uint32_t(3736568 + s));
        records += r;
    }
    run(state, box("ftyp", "mp42") + box("GPS ", records) + box("mdat", "x"), records.size(),
        [](QIODevice& d, qint64 size) {
            return RVSeventyMaiMetaDataReader::readMetaData(
                d, size, RVTimestamp::fromMSecsSinceEpoch(1618654152000), "bench");
        });
}
BENCHMARK(seventyMai)->Name("CameraBox/SeventyMai")->Unit(benchmark::kMillisecond);

void blackVueFree(benchmark::State& state)
{
    QByteArray text;
    char line[320];
    for (int i = 0; i < kSeconds * 10; ++i) {
        const int s = i / 10;
        std::snprintf(line, sizeof line,
                      "[%013lld]$GPRMC,%02d%02d%02d.%d0,A,5545.%04d,N,03736.%04d,E,17.5,45.0,"
                      "050215,,,A*6C\n[%013lld]$GPGGA,%02d%02d%02d.%d0,5545.%04d,N,03736.%04d,E,1,"
                      "09,0.9,145.3,M,14.0,M,,*4A\n",
                      1499552090960LL + i * 100, 8 + s / 3600, s / 60 % 60, s % 60, i % 10,
                      i % 10000, i % 9000, 1499552090960LL + i * 100, 8 + s / 3600, s / 60 % 60,
                      s % 60, i % 10, i % 10000, i % 9000);
        text += line;
    }
    QByteArray records;
    for (int i = 0; i < kSeconds * 100; ++i)
        records += be32(std::uint32_t(i * 10)) + QByteArray("\x00\x62\x00\x05\xff\xf6", 6);
    const QByteArray payload = box("gps ", text) + box("3gf ", records + QByteArray(10, '\xff')) +
                               box("cprt", "Pittasoft;DR900S-2CH;1.010;English;");
    run(state, box("ftyp", "mp42") + box("free", payload) + box("mdat", "x"), payload.size(),
        [](QIODevice& d, qint64 size) {
            return RVBlackVueMetaDataReader::readEmbeddedData(d, size, "bench");
        });
}
BENCHMARK(blackVueFree)->Name("CameraBox/BlackVueFree")->Unit(benchmark::kMillisecond);

} // namespace
