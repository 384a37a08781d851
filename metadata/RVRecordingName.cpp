// The camera families, one table entry each: how a family names its recordings, where on the
// card it keeps them, which reader reads them, how its channels pair and which clock its
// records follow. A new family is one entry in kRules.
//
// Each name rule is a regular expression over the file name with named groups:
//   Y, Mo, D, h, mi, s  start date and time (the camera's local clock)
//   mode                recording mode code (mapped through the rule's mode table)
//   channel             channel letter (mapped through the rule's channel table); optional:
//                       a name without one is the front camera's
//   stem                the part the side files are named after (whole name when absent)
//
// BlackVue   YYYYMMDD_HHMMSS_<mode>[<channel>][L|S].mp4: the mode letter, then the channel, then
//            an optional upload flag. "20170708_221449_NF.mp4", side files
//            "20170708_221449_N.gps" / ".3gf" shared by all channels. The names are the
//            camera's local time, the track's NMEA sentences UTC.
// Novatek    YYYY_MMDD_HHMMSS_<sequence>[P|E][F|R|I|T].MP4 (.TS in TS mode); the sequence
//            differs per channel, so channels pair by time. Protected events are moved to the
//            folder "RO". Viofo's A229 Pro marks parking P and events E, and names its third
//            camera I (interior) or T (the telephoto lens), as a sync tool's names from one show.
//            Vantrue and BlueSkySea write A for the front camera and B for the rear; Vantrue
//            keeps its recordings in "Video/Normal" ("2017_0101_060101_001A.MP4", its manual).
//            DriveVision writes "CARDV/MOVIE_A/20250629113949_000158A.MP4" (a real card).
// 70mai      <NO|EV|PA>YYYYMMDD-HHMMSS-<sequence>[F|B].MP4, B being the rear camera; a single
//            camera writes no letter ("NO20191130-120156-000121.MP4"). The records carry no
//            date: they are dated from the name.
// GoPro      G<H|X|S><chapter><number>.MP4 (".360" for the 360 camera; H AVC, X HEVC, S 360) with
//            the chapter from 01: a long recording is cut into chapter files that share the
//            number ("GX010042", "GX020042"). Older cameras name the first chapter
//            GOPR<number> and the later ones GP<01, 02, ...><number>. Looping recordings are
//            G<H|X><two letters><number>, each file a segment of its own. No time in the names.
// Tesla      YYYY-MM-DD_HH-MM-SS-<camera>.mp4, one file a camera and minute, the camera a word
//            (front, back, left_repeater, right_repeater, left_pillar, right_pillar). Below
//            "TeslaCam": "RecentClips/" normal, "SavedClips/<time>/" and "SentryClips/<time>/"
//            events (saved by the driver, by the sentry watch).
#include "metadata/RVRecordingName.h"

#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

struct ModeCode
{
    const char* code;
    RVRecordingMode mode;
};

struct ChannelLetter
{
    char letter;
    RVChannel channel;
};

// Channels some cameras name with a word rather than a letter.
struct ChannelWord
{
    const char* word;
    RVChannel channel;
};

const ChannelWord kChannelWords[] = {
    {"front", RVChannel::Front},
    {"back", RVChannel::Rear},
    {"left_repeater", RVChannel::Left},
    {"right_repeater", RVChannel::Right},
    {"left_pillar", RVChannel::LeftPillar},
    {"right_pillar", RVChannel::RightPillar},
};

struct FamilyRule
{
    RVCameraFamilyInfo info;
    const char* pattern;
    std::initializer_list<ModeCode> modes; // codes not listed are events
    std::initializer_list<ChannelLetter> channels;
    // Folders whose recordings are protected events, "|" between several, or "". A recording
    // may lie in the folder or in a folder of its own inside it.
    const char* eventFolder;
    // Names whose "copy" group is not this are lower-quality copies of the name with it.
    const char* originalCopy = "";
    // The mode code is the name of the file's folder less its number, when that is a numbered
    // camera folder ("UNSVD" in "DCIM/103UNSVD"); elsewhere it is "".
    bool modeInFolder = false;
};

// Novatek's cameras write two kinds of names, each with a rule of its own.
constexpr RVCameraFamilyInfo kNovatek{RVCameraFamily::Novatek, "Novatek",
                                      "DCIM/Movie|Video/Normal|CARDV|Normal|Event|Parking",
                                      RVRecordClock::Utc, 2};

const FamilyRule kRules[] = {
    {{RVCameraFamily::BlackVue, "BlackVue", "BlackVue/Record", RVRecordClock::Utc, 0},
     R"(^(?<stem>(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})_(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})_)"
     R"((?<mode>[NEPMIOATBRXGDLYF]))(?<channel>[FRIO])?[LS]?\.(?i:mp4|mov)$)",
     {{"N", RVRecordingMode::Normal},
      {"P", RVRecordingMode::Parking},
      {"M", RVRecordingMode::Manual}},
     {{'F', RVChannel::Front},
      {'R', RVChannel::Rear},
      {'I', RVChannel::Interior},
      {'O', RVChannel::Optional}},
     ""},
    // "2015_0205_114500_000001F.MP4"; later cameras (VIOFO A119 Mini 2, Mini Pro) leave the
    // underscores out of the time: "20260406142122_000022.MP4".
    {kNovatek,
     R"(^(?<stem>(?<Y>\d{4})_?(?<Mo>\d{2})(?<D>\d{2})_?(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})_\d+)"
     R"((?<mode>[PE]?))(?<channel>[FRIABT])?\.(?i:mp4|mov|ts)$)",
     {{"", RVRecordingMode::Normal}, {"P", RVRecordingMode::Parking}},
     {{'F', RVChannel::Front},
      {'R', RVChannel::Rear},
      {'I', RVChannel::Interior},
      {'A', RVChannel::Front},
      {'B', RVChannel::Rear},
      {'T', RVChannel::Optional}},
     "RO"},
    // Vantrue's later cameras (N4S, E1 Pro): "20260904_175735_00001_N_A.MP4", the camera's
    // clock, a sequence, the mode (N normal, E event, P parking) and the channel (A front,
    // B interior, C rear), one folder a mode ("Normal", "Event", "Parking"). Tools written for
    // these cards agree on it.
    {kNovatek,
     R"(^(?<stem>(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})_(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})_\d{4,5}_)"
     R"((?<mode>[NEP]))_(?<channel>[ABC])\.(?i:mp4)$)",
     {{"N", RVRecordingMode::Normal}, {"P", RVRecordingMode::Parking}},
     {{'A', RVChannel::Front}, {'B', RVChannel::Interior}, {'C', RVChannel::Rear}},
     ""},
    // The rear camera is "B", on the A810 Lite "R"; the A510 marks parking as "PA" or "LA".
    {{RVCameraFamily::SeventyMai, "70mai", "70mai", RVRecordClock::FromName, 2},
     R"(^(?<stem>(?<mode>NO|EV|PA|LA)(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})-(?<h>\d{2})(?<mi>\d{2}))"
     R"((?<s>\d{2})-\d{6})(?<channel>[FBR])?\.(?i:mp4|mov)$)",
     {{"NO", RVRecordingMode::Normal},
      {"PA", RVRecordingMode::Parking},
      {"LA", RVRecordingMode::Parking}},
     {{'F', RVChannel::Front}, {'B', RVChannel::Rear}, {'R', RVChannel::Rear}},
     ""},
    {{RVCameraFamily::GoPro, "GoPro", "DCIM", RVRecordClock::Utc, 0},
     R"(^(?<stem>G(?:(?<kind>[HXS])(?:(?<chapter>\d{2})|[A-Z]{2})|P(?<later>\d{2})|OPR))"
     R"((?<number>\d{4}))\.(?i:mp4|360)$)",
     {{"", RVRecordingMode::Normal}},
     {},
     ""},
    {{RVCameraFamily::Tesla, "Tesla", "TeslaCam", RVRecordClock::Utc, 1},
     R"(^(?<stem>(?<Y>\d{4})-(?<Mo>\d{2})-(?<D>\d{2})_(?<h>\d{2})-(?<mi>\d{2})-(?<s>\d{2})))"
     R"(-(?<channel>front|back|left_repeater|right_repeater|left_pillar|right_pillar)\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal}},
     {},
     "SavedClips|SentryClips"},
    // "INF20260725-120324-105-F.mp4": date, time, an unpadded sequence, the channel. The name
    // tells no mode.
    {{RVCameraFamily::Neoline, "Neoline", "DCIM", RVRecordClock::Utc, 2},
     R"(^(?<stem>INF(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})-(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})-\d+))"
     R"(-(?<channel>[FR])\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}},
     ""},
    // "REC20250607-180617-527-A.mp4", one folder a channel and mode ("Normal/A", "Event/B",
    // "Parking/A"): A is the
    // front camera, B the rear, C the interior, D the fourth.
    {{RVCameraFamily::Carcam, "CARCAM", "Normal|Event|Parking", RVRecordClock::Utc, 2},
     R"(^(?<stem>REC(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})-(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})-\d{1,5}))"
     R"(-(?<channel>[ABCD])\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal}},
     {{'A', RVChannel::Front},
      {'B', RVChannel::Rear},
      {'C', RVChannel::Interior},
      {'D', RVChannel::Optional}},
     "Event"},
    // "REC_2026_06_01_21_16_47_F.MP4": the mode (continuous, event, parking, manual), the
    // camera's clock, the channel; one folder a mode.
    {{RVCameraFamily::Thinkware, "Thinkware",
      "cont_rec|evt_rec|parking_rec|manual_rec|motion_timelapse_rec|sos_rec", RVRecordClock::Utc,
      2},
     R"(^(?<stem>(?<mode>REC|EVT|PARK|MAN)_(?<Y>\d{4})_(?<Mo>\d{2})_(?<D>\d{2})_(?<h>\d{2})_(?<mi>\d{2}))"
     R"(_(?<s>\d{2}))_(?<channel>[FR])\.(?i:mp4)$)",
     {{"REC", RVRecordingMode::Normal},
      {"PARK", RVRecordingMode::Parking},
      {"MAN", RVRecordingMode::Manual}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}},
     ""},
    // "20251111_085423_INF_F_N.mp4": the camera's clock, the model ("INF"), the channel and the
    // mode (normal, event, parking).
    {{RVCameraFamily::Vueroid, "Vueroid", "DCIM", RVRecordClock::CameraLocal, 2},
     R"(^(?<stem>(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})_(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})_INF))"
     R"(_(?<channel>[FR])_(?<mode>[NEP])\.(?i:mp4)$)",
     {{"N", RVRecordingMode::Normal}, {"P", RVRecordingMode::Parking}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}},
     ""},
    // "FILE260819-071804F.mp4": the camera's clock with a two-digit year, then the channel (none
    // on single cameras), one folder a mode and a channel ("Normal/F", "Event/R"). The track is
    // the NMEA log beside the front camera's video.
    {{RVCameraFamily::Mio, "NMEA log", "Normal|Event|Parking", RVRecordClock::Utc, 2},
     R"(^(?<stem>FILE(?<Y>\d{2})(?<Mo>\d{2})(?<D>\d{2})-(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})))"
     R"((?<channel>[FR])?\.(?i:mp4|mov)$)",
     {{"", RVRecordingMode::Normal}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}},
     "Event"},
    // "REC20260912-180135-43.mp4": the mode (normal, event, parking), the camera's clock and a
    // sequence counted per camera; one folder a mode and a channel ("Normal/F", "Event/R"): the
    // folder is the only sign of the channel.
    // "20260511_0016_CAM.MP4": the camera's clock to the minute; a ".map" log beside each.
    {{RVCameraFamily::Escort, "Escort", "Normal|Event|Favorites", RVRecordClock::CameraLocal, 2},
     R"(^(?<stem>(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})_(?<h>\d{2})(?<mi>\d{2})_CAM)\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal}},
     {},
     "Event"},
    // "2026-08-03_11_34_53_f.mp4": the camera's clock and the channel in small letters (f front,
    // r rear); the track is appended after the movie.
    {{RVCameraFamily::LigoTrailer, "LIGOGPSINFO trailer", "DCIM", RVRecordClock::CameraLocal, 2},
     R"(^(?<stem>(?<Y>\d{4})-(?<Mo>\d{2})-(?<D>\d{2})_(?<h>\d{2})_(?<mi>\d{2})_)"
     R"((?<s>\d{2}))_(?<channel>[fr])\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal}},
     {{'f', RVChannel::Front}, {'r', RVChannel::Rear}},
     ""},
    {{RVCameraFamily::IBox, "iBox", "Normal|Event|Parking", RVRecordClock::Utc, 2},
     R"(^(?<stem>(?<mode>REC|SOS|PAR)(?<Y>\d{4})(?<Mo>\d{2})(?<D>\d{2})-(?<h>\d{2})(?<mi>\d{2}))"
     R"((?<s>\d{2})-\d{1,6})\.(?i:mp4)$)",
     {{"REC", RVRecordingMode::Normal}, {"PAR", RVRecordingMode::Parking}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}},
     "Event"},
    // "240915_143027_001_FH.MP4" (the maker's support page): the camera's clock with a two-digit
    // year, a file number, the channel (F front, R rear) and the quality. Each file may have a
    // copy of lower quality beside it, "L" for "H", kept for the phone app.
    {{RVCameraFamily::Nextbase, "Nextbase", "DCIM", RVRecordClock::Utc, 2},
     R"(^(?<stem>(?<Y>\d{2})(?<Mo>\d{2})(?<D>\d{2})_(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})_\d{3}))"
     R"(_(?<channel>[FR])(?<copy>[HL])\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}},
     "",
     "H"},
    // "GRMN0845.MP4" in "DCIM/103UNSVD" (a Dash Cam 35's card): a number, no time. The folder
    // tells the mode (the maker's manual): "UNSVD" the loop the camera overwrites, "SAVED" saved
    // by the driver, "EVENT" saved on an incident; the folders' numbers differ between models.
    // The track's records are dated by the movie's creation time, in UTC.
    {{RVCameraFamily::Garmin, "Garmin", "DCIM", RVRecordClock::Utc, 0},
     R"(^(?<stem>GRMN\d{4})\.(?i:mp4)$)",
     {{"", RVRecordingMode::Normal},
      {"UNSVD", RVRecordingMode::Normal},
      {"SAVED", RVRecordingMode::Manual}},
     {},
     "",
     "",
     true},
    // "2026_03_15_173951_02_I.MP4": the camera's clock, the mode (00 normal, 02 an event) and the
    // channel (F front, R rear, I interior); the views of one moment share the rest of the name.
    // Three tools written against real cards agree on it; none tells the card's folders.
    {{RVCameraFamily::Wolfbox, "Wolfbox", "DCIM", RVRecordClock::Utc, 2},
     R"(^(?<stem>(?<Y>\d{4})_(?<Mo>\d{2})_(?<D>\d{2})_(?<h>\d{2})(?<mi>\d{2})(?<s>\d{2})_)"
     R"((?<mode>\d{2}))_(?<channel>[FRI])\.(?i:mp4)$)",
     {{"00", RVRecordingMode::Normal}},
     {{'F', RVChannel::Front}, {'R', RVChannel::Rear}, {'I', RVChannel::Interior}},
     ""},
};

// The channels: the name files written by the program use, and the letter the list marks an
// extra view with.
struct ChannelText
{
    RVChannel channel;
    const char* name;
    char16_t mark;
};

// A car's side cameras are marked with arrows, since their initials are taken by the rear view.
constexpr ChannelText kChannels[] = {{RVChannel::Front, "front", u'F'},
                                     {RVChannel::Rear, "rear", u'R'},
                                     {RVChannel::Interior, "interior", u'I'},
                                     {RVChannel::Optional, "optional", u'O'},
                                     {RVChannel::Left, "left", u'\u2190'},
                                     {RVChannel::Right, "right", u'\u2192'},
                                     {RVChannel::LeftPillar, "left pillar", u'\u2196'},
                                     {RVChannel::RightPillar, "right pillar", u'\u2197'}};

const ChannelText* channelText(RVChannel channel)
{
    for (const ChannelText& text : kChannels) {
        if (text.channel == channel)
            return &text;
    }
    return nullptr;
}

const std::vector<RVCameraFamilyInfo>& familyInfos()
{
    static const std::vector<RVCameraFamilyInfo> infos = [] {
        std::vector<RVCameraFamilyInfo> list;
        for (const FamilyRule& rule : kRules) {
            if (std::none_of(list.begin(), list.end(), [&](const RVCameraFamilyInfo& listed) {
                    return listed.family == rule.info.family;
                }))
                list.push_back(rule.info);
        }
        return list;
    }();
    return infos;
}

// Recordings of cameras whose names no rule knows sit below the card's "DCIM".
constexpr const char* kGenericCardFolder = "DCIM";

const std::vector<QRegularExpression>& compiledRules()
{
    static const std::vector<QRegularExpression> compiled = [] {
        std::vector<QRegularExpression> list;
        for (const FamilyRule& rule : kRules)
            list.emplace_back(QString::fromLatin1(rule.pattern));
        return list;
    }();
    return compiled;
}

int number(const QRegularExpressionMatch& match, const char* group)
{
    return match.capturedView(QString::fromLatin1(group)).toInt();
}

QString lastComponent(const QString& path, int fromEnd)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.size() > fromEnd ? parts[parts.size() - 1 - fromEnd] : QString();
}

// A recording cut into chapter files: the chapters share the series (the rule's kind letter,
// "P" for the older form, and the number); the chapter counts from 1. The older form names
// its first chapter "GOPR" and the later ones "GP01", "GP02": GP01 is the second chapter.
void readChapter(const QRegularExpressionMatch& match, RVRecordingName& name)
{
    if (match.capturedStart(QStringLiteral("number")) < 0)
        return;
    const QString kind = match.captured(QStringLiteral("kind"));
    if (match.capturedStart(QStringLiteral("chapter")) >= 0) {
        name.chapter = number(match, "chapter");
    } else if (match.capturedStart(QStringLiteral("later")) >= 0) {
        name.chapter = number(match, "later") + 1;
    } else if (kind.isEmpty()) {
        name.chapter = 1; // "GOPR"
    } else {
        return; // a looping recording's file ("GHAA0001"): each file is its own segment
    }
    if (name.chapter < 1) {
        name.chapter = 0;
        return;
    }
    name.chapterSeries =
        (kind.isEmpty() ? QStringLiteral("P") : kind) + match.captured(QStringLiteral("number"));
}

} // namespace

QString channelName(RVChannel channel)
{
    const ChannelText* text = channelText(channel);
    return text ? QString::fromLatin1(text->name) : QString();
}

QChar channelMark(RVChannel channel)
{
    const ChannelText* text = channelText(channel);
    return text ? QChar(text->mark) : QChar();
}

std::span<const RVCameraFamilyInfo> cameraFamilies()
{
    return familyInfos();
}

const RVCameraFamilyInfo& cameraFamily(RVCameraFamily family)
{
    for (const RVCameraFamilyInfo& info : familyInfos()) {
        if (info.family == family)
            return info;
    }
    return familyInfos().front(); // every enumerator has its entry
}

std::optional<RVCameraFamily> cameraFamilyOfFormat(const QString& format)
{
    for (const RVCameraFamilyInfo& info : familyInfos()) {
        if (format == QLatin1String(info.format))
            return info.family;
    }
    return std::nullopt;
}

std::optional<RVRecordingName> parseRecordingName(const QString& path)
{
    const QString fileName = lastComponent(path, 0);
    if (fileName.isEmpty())
        return std::nullopt;
    const std::vector<QRegularExpression>& patterns = compiledRules();
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const QRegularExpressionMatch match = patterns[i].match(fileName);
        if (!match.hasMatch())
            continue;
        const FamilyRule& rule = kRules[i];
        // Two-digit years are this century's.
        const int year = number(match, "Y") + (match.capturedLength(u"Y") == 2 ? 2000 : 0);
        const QDate date(year, number(match, "Mo"), number(match, "D"));
        const QTime time(number(match, "h"), number(match, "mi"), number(match, "s"));
        // A rule without a time in its names (GoPro) gives no start.
        const bool dated = match.capturedStart(QStringLiteral("Y")) >= 0;
        if (dated && (!date.isValid() || !time.isValid()))
            return std::nullopt;

        RVRecordingName name;
        name.family = rule.info.family;
        if (dated)
            name.start = QDateTime(date, time, Qt::LocalTime);
        name.modeCode = match.captured(QStringLiteral("mode"));
        if (rule.modeInFolder) {
            // A numbered camera folder: three digits, then five characters ("103UNSVD").
            static const QRegularExpression numbered(QStringLiteral("^\\d{3}([A-Z0-9_]{5})$"),
                                                     QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch folder = numbered.match(lastComponent(path, 1));
            name.modeCode = folder.hasMatch() ? folder.captured(1).toUpper() : QString();
        }
        name.mode = RVRecordingMode::Event;
        for (const ModeCode& mode : rule.modes) {
            if (name.modeCode == QLatin1String(mode.code))
                name.mode = mode.mode;
        }
        if (*rule.eventFolder) {
            const QStringList eventFolders = QString::fromLatin1(rule.eventFolder).split('|');
            if (eventFolders.contains(lastComponent(path, 1)) ||
                eventFolders.contains(lastComponent(path, 2)))
                name.mode = RVRecordingMode::Event;
        }
        // No channel letter: the folder's when it is named by one (iBox), else a single
        // camera, or a family's front camera.
        QString channelText = match.captured(QStringLiteral("channel"));
        if (channelText.isEmpty() && lastComponent(path, 1).size() == 1)
            channelText = lastComponent(path, 1);
        for (const ChannelLetter& channel : rule.channels) {
            if (channelText == QString(QLatin1Char(channel.letter)))
                name.channel = channel.channel;
        }
        for (const ChannelWord& channel : kChannelWords) {
            if (channelText == QLatin1String(channel.word))
                name.channel = channel.channel;
        }
        name.sideFileStem = match.captured(QStringLiteral("stem"));
        readChapter(match, name);
        if (const QString copy = match.captured(QStringLiteral("copy"));
            !copy.isEmpty() && copy != QLatin1String(rule.originalCopy))
            name.originalName = QString(fileName).replace(match.capturedStart(u"copy"), copy.size(),
                                                          QLatin1String(rule.originalCopy));
        name.pairingToleranceSeconds = rule.info.pairingToleranceSeconds;
        return name;
    }
    return std::nullopt;
}

QStringList cardRecordingFolders()
{
    // Families may share a folder (GoPro and the generic "DCIM"): each is listed once, in the
    // order of its first family, so a card is not walked twice.
    QStringList folders;
    for (const FamilyRule& rule : kRules) {
        for (const QString& folder : QString::fromLatin1(rule.info.cardFolder).split('|')) {
            if (!folders.contains(folder))
                folders.append(folder);
        }
    }
    const QString generic = QString::fromLatin1(kGenericCardFolder);
    if (!folders.contains(generic))
        folders.append(generic);
    return folders;
}
