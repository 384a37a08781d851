#include "player/window/RVDeleteQuestion.h"

#include "metadata/RVRecordingName.h"

#include <QCoreApplication>
#include <QSet>

#include <set>

namespace {

// A translated text with its one value; without a place for it (no translation) the value
// still shows after the text.
QString withValue(QString format, const QString& value)
{
    if (format.contains(QLatin1String("%@")))
        return format.replace(QLatin1String("%@"), value);
    if (format.contains(QLatin1String("%1")))
        return format.arg(value);
    return format + QLatin1Char(' ') + value;
}

QString viewName(RVChannel channel)
{
    switch (channel) {
    case RVChannel::Front:
        return qtTrId("MENU_CAMERA_FRONT");
    case RVChannel::Rear:
        return qtTrId("MENU_CAMERA_REAR");
    case RVChannel::Interior:
        return qtTrId("MENU_CAMERA_INTERIOR");
    case RVChannel::Optional:
        return qtTrId("MENU_CAMERA_OPTIONAL");
    default:
        return channelName(channel); // side cameras: named as the list marks them
    }
}

} // namespace

QString RVDeleteQuestion::text(const RVVideoData& node)
{
    // The recordings behind the node: its children for a trip, itself for one recording.
    std::vector<const RVVideoData*> recordings;
    for (const RVVideoDataPtr& child : node.children())
        recordings.push_back(child.get());
    if (recordings.empty())
        recordings.push_back(&node);

    int going = 0;
    int locked = 0;
    int videoFiles = 0;
    std::set<RVChannel> channels;
    QSet<QString> dataFiles;
    bool dataUnknown = false;
    for (const RVVideoData* recording : recordings) {
        if (recording->files().empty())
            continue;
        const RVVideoFilePtr& file = recording->files().front();
        if (file->locked()) {
            ++locked;
            continue;
        }
        ++going;
        for (const RVVideoView& view : file->views()) {
            channels.insert(view.channel);
            ++videoFiles;
        }
        if (const std::optional<QStringList> related = recording->relatedFiles())
            dataFiles.unite(QSet<QString>(related->begin(), related->end()));
        else
            dataUnknown = true;
    }

    QStringList views;
    for (const RVChannel channel : channels)
        views << viewName(channel);
    //% "These files of \"%@\" will be deleted from the disk:"
    QStringList lines{withValue(qtTrId("ARE_YOU_SURE_MESSAGE"), node.name())};
    //% "Recordings: %1"
    lines << withValue(qtTrId("DELETE_RECORDINGS_COUNT"), QString::number(going));
    //% "Video files: %1 (camera views: %2)"
    QString videoLine = qtTrId("DELETE_VIDEO_FILES");
    lines << (videoLine.contains(QLatin1String("%2"))
                  ? videoLine.arg(videoFiles).arg(views.join(QLatin1String(", ")))
                  : videoLine + QLatin1Char(' ') + QString::number(videoFiles) + QLatin1Char(' ') +
                        views.join(QLatin1String(", ")));
    if (dataUnknown) {
        //% "Data files: %1 named so far, and any other found beside the recordings"
        lines << withValue(qtTrId("DELETE_DATA_FILES_UNREAD"), QString::number(dataFiles.size()));
    } else {
        //% "Data files (track, sensors): %1"
        lines << withValue(qtTrId("DELETE_DATA_FILES"), QString::number(dataFiles.size()));
    }
    if (locked > 0) {
        //% "Locked recordings stay on the disk: %1"
        lines << withValue(qtTrId("DELETE_LOCKED_STAY"), QString::number(locked));
    }
    return lines.join(QLatin1Char('\n'));
}
