// The list of camera families the dispatcher asks, in order. A reader claims only what it
// recognises for certain, so the order decides only between readers that both could: a
// BlackVue track file beside the video wins whatever the video's name, then a Mini log for
// "AMBA" videos, then the Korvela texts and box, then the other cameras' data inside the video.
// Of the cameras that write NMEA as subtitle cues, Nextbase's fixed records are told first, and
// Thinkware's reader takes the cues that remain. Then plain logs beside the video (after
// BlackVue, whose ".gps" track is NMEA with a prefix) and the running logs of 70mai cameras that
// keep no track inside the video, then Tesla cars.
// A new camera family is one line here.

#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVCarcamMetaDataReader.h"
#include "metadata/RVDriveVisionMetaDataReader.h"
#include "metadata/RVEscortMetaDataReader.h"
#include "metadata/RVGarminMetaDataReader.h"
#include "metadata/RVGoProMetaDataReader.h"
#include "metadata/RVIBoxMetaDataReader.h"
#include "metadata/RVKenwoodMetaDataReader.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVLigoTrailerMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"
#include "metadata/RVNavitelMetaDataReader.h"
#include "metadata/RVNeolineMetaDataReader.h"
#include "metadata/RVNextbaseMetaDataReader.h"
#include "metadata/RVNmeaLogMetaDataReader.h"
#include "metadata/RVNmeaTrackMetaDataReader.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVSeventyMaiLogMetaDataReader.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"
#include "metadata/RVTeslaMetaDataReader.h"
#include "metadata/RVThinkwareMetaDataReader.h"
#include "metadata/RVVantrueMetaDataReader.h"
#include "metadata/RVVueroidMetaDataReader.h"
#include "metadata/RVWolfboxMetaDataReader.h"
#include "metadata/RVXorTextMetaDataReader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>

namespace {

template <typename Reader>
std::unique_ptr<RVMetaDataReader> make()
{
    return std::make_unique<Reader>();
}

constexpr RVMetaDataReader::Entry kReaders[] = {
    {"BlackVue", &make<RVBlackVueMetaDataReader>},
    {"Mini", &make<RVMiniMetaDataReader>},
    {"Escort", &make<RVEscortMetaDataReader>},
    {"DriveVision", &make<RVDriveVisionMetaDataReader>},
    {"Korvela", &make<RVKorvelaMetaDataReader>},
    {"Novatek", &make<RVNovatekMetaDataReader>},
    {"70mai", &make<RVSeventyMaiMetaDataReader>},
    // clang-format off
    {"GoPro", &make<RVGoProMetaDataReader>},
    {"Vantrue", &make<RVVantrueMetaDataReader>},
    {"Wolfbox", &make<RVWolfboxMetaDataReader>},
    {"XOR text", &make<RVXorTextMetaDataReader>},
    {"Garmin", &make<RVGarminMetaDataReader>},
    {"Nextbase", &make<RVNextbaseMetaDataReader>},
    {"Thinkware", &make<RVThinkwareMetaDataReader>},
    {"Vueroid", &make<RVVueroidMetaDataReader>},
    {"Neoline", &make<RVNeolineMetaDataReader>},
    {"iBox", &make<RVIBoxMetaDataReader>},
    {"Navitel", &make<RVNavitelMetaDataReader>},
    {"Kenwood", &make<RVKenwoodMetaDataReader>},
    {"CARCAM", &make<RVCarcamMetaDataReader>},
    {"LIGOGPSINFO trailer", &make<RVLigoTrailerMetaDataReader>},
    {"NMEA track", &make<RVNmeaTrackMetaDataReader>},
    {"NMEA log", &make<RVNmeaLogMetaDataReader>},
    {"70mai log", &make<RVSeventyMaiLogMetaDataReader>},
    {"Tesla", &make<RVTeslaMetaDataReader>},
    // clang-format on
};

} // namespace

std::optional<RVMetaData> RVMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                  RVDecline& why) const
{
    std::optional<RVMetaData> data = readMetaDataFromVideoFile(videoPath);
    if (!data)
        why = RVDecline{};
    return data;
}

QString declineKindName(RVDecline::Kind kind)
{
    switch (kind) {
    case RVDecline::Kind::NotMine:
        return QStringLiteral("not mine");
    case RVDecline::Kind::NoFixYet:
        return QStringLiteral("no fix yet");
    case RVDecline::Kind::Encrypted:
        return QStringLiteral("encrypted");
    case RVDecline::Kind::UnknownLayout:
        return QStringLiteral("unknown layout");
    case RVDecline::Kind::Unreadable:
        return QStringLiteral("unreadable");
    }
    return {};
}

namespace {

// The built-in readers, then room for those added from above. Entries below the published
// count never change, so readers on other threads may walk them while one is added.
constexpr std::size_t kAddedPlaces = 4;
constexpr std::size_t kBuiltIn = std::size(kReaders);
std::array<RVMetaDataReader::Entry, kBuiltIn + kAddedPlaces> s_entries = [] {
    std::array<RVMetaDataReader::Entry, kBuiltIn + kAddedPlaces> entries{};
    std::copy(std::begin(kReaders), std::end(kReaders), entries.begin());
    return entries;
}();
std::atomic<std::size_t> s_count{kBuiltIn};
std::mutex s_addMutex;

} // namespace

std::span<const RVMetaDataReader::Entry> RVMetaDataReader::all()
{
    return std::span<const Entry>(s_entries.data(), s_count.load(std::memory_order_acquire));
}

bool RVMetaDataReader::addReader(Entry entry)
{
    std::lock_guard lock(s_addMutex);
    const std::size_t count = s_count.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < count; ++i) {
        if (s_entries[i].make == entry.make)
            return true;
    }
    if (count == s_entries.size())
        return false;
    s_entries[count] = entry;
    s_count.store(count + 1, std::memory_order_release);
    return true;
}
