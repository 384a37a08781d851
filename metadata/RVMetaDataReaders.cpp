// The list of camera families the dispatcher asks, in order. A reader claims only what it
// recognises for certain, so the order decides only between readers that both could: a
// BlackVue track file beside the video wins whatever the video's name, then a Mini log for
// "AMBA" videos, then the Korvela texts and box, then the other cameras' data inside the video,
// then plain logs beside the video (after BlackVue, whose ".gps" track is NMEA with a prefix)
// and the running logs of 70mai cameras that keep no track inside the video, then Tesla cars.
// A new camera family is one line here.

#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"
#include "metadata/RVNmeaLogMetaDataReader.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVSeventyMaiLogMetaDataReader.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"
#include "metadata/RVTeslaMetaDataReader.h"

namespace {

template <typename Reader>
std::unique_ptr<RVMetaDataReader> make()
{
    return std::make_unique<Reader>();
}

constexpr RVMetaDataReader::Entry kReaders[] = {
    {"BlackVue", &make<RVBlackVueMetaDataReader>},
    {"Mini", &make<RVMiniMetaDataReader>},
    {"Korvela", &make<RVKorvelaMetaDataReader>},
    {"Novatek", &make<RVNovatekMetaDataReader>},
    {"70mai", &make<RVSeventyMaiMetaDataReader>},
    {"NMEA log", &make<RVNmeaLogMetaDataReader>},
    {"70mai log", &make<RVSeventyMaiLogMetaDataReader>},
    {"Tesla", &make<RVTeslaMetaDataReader>},
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

std::span<const RVMetaDataReader::Entry> RVMetaDataReader::all()
{
    return kReaders;
}
