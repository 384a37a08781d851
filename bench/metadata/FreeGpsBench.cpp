// Blocks decoded per second by the freeGPS layout table, one benchmark per layout family, on
// the real camera blocks of the tests (ExifTool's published hexdumps, padded to the 512 bytes
// the reader gives each block). FreeGps/Unknown is a block no layout reads: every signature
// is tried and refused, the most a block can cost.
#include "metadata/freegps/RVFreeGps.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <random>

namespace {

struct Sample
{
    const char* name;
    const char* hex;
};

const Sample kSamples[] = {
    {"Records/ViofoAt10",
     "000040006672656547505320f0030000050000002f0000000300000013000000090000001b000000414e5700"
     "25d19945f14740466666d24185eb834100000000"},
    {"Records/Kenwood",
     "000040006672656547505320f00300004d4e3a4452562d41353130574056312e375f42445a49435a5f430000"
     "0000000000000000000000003a3a7374617274400c0000001000000016000000ea070000020000001c000000"
     "414e570055e7a545d784524352b8d84148219a43f9ffffffffffffff010000000000000000000000"},
    {"Records/A119SAt30",
     "0000800066726565475053204c00000000000000000000000000000000000000000000000000000000000000"
     "00000000100000002d00000014000000110000000c0000001f000000414e45005d9aa945ab1ee544ec51f040"
     "b85ea54300000000"},
    {"Records/VantrueN4",
     "000040006672656547505320f00300000d000000160000001e000000410000002cb7b41a5a71b2404e000000"
     "00000000fbae08fe77f689404500000000000000be9f1a2fdd8436405c8fc2f528fc6840160000000c000000"
     "0e000000f2fbffff42000000020000002024474e524d432c3133323233302e3030302c412c343732312e3335"
     "3139372c4e2c30303833302e38303835392c452c32322e3531392c3139392e38382c3134313232322c2c2c41"
     "2a37350d0a0000000000000000000000"},
    {"Text/Azdome",
     "000080006672656547505320050100000103aaaaf2e1f0ee5454989a9b929a93989e98989e939892a69f9f9c"
     "9dedfa8a8a8aaaaaaaaaaaa9e49e9a9e9c9e999f9afd9a9a9d9a9e9a999a929a9a9a9a9a9a9a9daaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa819a9399879a9a99879a9a9faaaaaaaaaaaaaa"},
    {"Text/Nextbase512GW",
     "0000800066726565475053204001000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000323031383039313931303039353900001c01000006000000efffffff20244750524d432c"
     "3038303935312e3030302c412c353230372e393039372c4e2c30303530352e353137352c452c35352e31312c"
     "3132352e35382c3139303931382c2c2c412a35390d0a000000000000"},
    {"Text/EACHPAI",
     "000080006672656547505320ac00000000000000000000000000000000000000000000000000000000000000"
     "00000000000000000000000000000000345760625d533c4147454542423e4040403c513c444244403e484643"
     "453c5e3c40484341423e464247483c673c403e40423c433e43413c4042404642403c3c3c513a4746002a3635"
     "000000000000000000000000"},
    {"Text/XGODY",
     "000000a86672656547505320980000006e6f726d616c3a323032342f30352f32322030323a35343a3239204e"
     "3a34322e33383234373020573a38332e3338393537302035332e36206b6d2f6820783a2d302e303220793a30"
     "2e3939207a3a302e313020413a3236392e3220483a3234352e350000000000000000000000000000"},
    {"Lucky/EAceB44",
     "000040006672656547505320f0030000080000002200000001000000180000000800000010000000414e4500"
     "674e69695a384a54744863613674773d00000000687475695a4d4a5373585558374e6f3d00000000643bac41"
     "e13a1d432b010000fdffffff43000000324a37315070554837696866000000000000000000000000"},
    {"BigEndian/Nextbase512G",
     "00008000667265654750532078010000782e7878000000000000000000000000303030303000000000000000"
     "0000000024530279d48507e20a08062a01d102201498ffff216797100000000000000000245302a2d44207e2"
     "0a08062a01d202201498e3ff21673b100000000000000000"},
    {"Encrypted/RedtigerF7N",
     "000040006672656547505320f00100000a00000000000000000000000000000001000000b05650017b186845"
     "17023f46130000000100000006000000150000000c0000001c000000414e57000000000080d4264e3611b540"
     "74b5157bcd7bf3400ad7a33dcd4c4e433834374145483136333630383234353759534b4a01000000ecffffff"
     "000000000e000000010000000a000000e50700000c0000001c000000"},
};

QByteArray padded(const QByteArray& block)
{
    return block + QByteArray(512 - std::min<qsizetype>(512, block.size()), '\0');
}

// A LIGOGPSINFO block with one scrambled record of text (a 0x00 steering byte a character).
QByteArray ligoBlock()
{
    const QByteArray text("\1\0\0\0"
                          "2022/09/19 12:45:24 N:31.285065 W:124.759483 46.93 km/h",
                          59);
    QByteArray scrambled;
    for (const char c : text)
        scrambled += QByteArray(1, '\0') + c;
    QByteArray record =
        "####" + QByteArray(1, char(scrambled.size())) + QByteArray(3, '\0') + scrambled;
    record += QByteArray(0x84 - record.size(), '\0');
    return QByteArray("\0\0\x40\0freeGPS \x98\0\0\0LIGOGPSINFO\0\0\0\0\5\x0a\0\0\0", 36) + record;
}

void decode(benchmark::State& state, const QByteArray& block)
{
    const std::string_view view(block.constData(), std::size_t(block.size()));
    std::size_t fixes = 0;
    for (auto _ : state) {
        const RVFreeGps::Block b = RVFreeGps::read(view);
        fixes = b.fixes.size();
        benchmark::DoNotOptimize(b);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
    state.counters["fixes"] = double(fixes);
}

const bool kRegistered = [] {
    for (const Sample& s : kSamples) {
        const QByteArray block = padded(QByteArray::fromHex(s.hex));
        benchmark::RegisterBenchmark((std::string("FreeGps/") + s.name).c_str(),
                                     [block](benchmark::State& state) { decode(state, block); });
    }
    benchmark::RegisterBenchmark("FreeGps/Text/LIGOGPSINFO", [](benchmark::State& state) {
        decode(state, padded(ligoBlock()));
    });
    benchmark::RegisterBenchmark("FreeGps/Unknown", [](benchmark::State& state) {
        std::mt19937 random(7);
        QByteArray block = QByteArray("\0\0\x80\0freeGPS ", 12);
        while (block.size() < 512)
            block += char(random());
        decode(state, block);
    });
    return true;
}();

} // namespace
