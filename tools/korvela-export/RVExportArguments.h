#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The command line of korvela-export, as given (no check yet that the format exists):
//   --format FORMAT | --format=FORMAT     what to write (required unless --help)
//   --output DIR    | --output=DIR        folder for formats that write files
//   -q | --quiet                          no progress on stderr (errors still go there)
//   --clock-offset=OFFSET                 add OFFSET ("+3", "-1:30") to the cameras' clocks
//   --camera-zone=ZONE                    the cameras' clocks show local time in ZONE (IANA id)
//   -h | --help                           show the usage text
//   --version                             show the version
//   --from TIME, --to TIME, --layout L,   the clip's range and look (--format mp4 only;
//   --overlay LIST, --quality Q,          checked by that format)
//   --no-sound, --gpx
//   --                                    everything after it is a FILE
//   FILE...                               one or more video files (required unless --help)
struct RVExportArguments final
{
    QString format;
    QString outputDir;
    QStringList files;
    bool help = false;
    bool version = false;
    bool quiet = false;
    // The clock rule for every FILE when either option is given; the stored per-card rules
    // otherwise.
    std::optional<int> clockOffsetSeconds;
    QByteArray cameraZone;
    // The clip's options, as given (empty when not given).
    QString from, to, layout, overlay, quality;
    bool noSound = false;
    bool gpx = false;
    bool clipOptionGiven = false; // any of them
};

struct RVArgumentsResult final
{
    std::optional<RVExportArguments> arguments;
    QString error; // why the command line is not usable, when arguments is empty
};

// arguments: the command line without the program name.
RVArgumentsResult parseExportArguments(const QStringList& arguments);
