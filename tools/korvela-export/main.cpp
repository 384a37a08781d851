// korvela-export: prints what the player reads from dash-camera recordings.
//
//   korvela-export [--quiet] [--clock-offset OFFSET] [--camera-zone ZONE] --format FORMAT
//                  [--output DIR] FILE...
//
// Exit status: 0 done; 1 some FILE could not be read or some output not written (the others
// are still done); 2 bad arguments.

#include "core/RVAtomicFile.h"
#include "core/RVNativePath.h"
#include "core/platform/RVPlatformFile.h"
#include "library/RVAVUtil.h"
#include "metadata/RVCameraClock.h"
#include "tools/korvela-export/RVExportArguments.h"
#include "tools/korvela-export/RVExportFormats.h"

#include <QString>
#include <QStringList>

#include "korvela_version.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kUsageError = 2;

void printUsage(std::FILE* stream)
{
    std::fputs("usage: korvela-export [--quiet] [--clock-offset OFFSET] [--camera-zone ZONE]\n"
               "                      --format FORMAT [--output DIR] FILE...\n"
               "       korvela-export --format mp4 --from TIME --to TIME [--layout LAYOUT]\n"
               "              [--overlay LIST] [--quality QUALITY] [--no-sound] [--gpx]\n"
               "              [--output DIR] FILE|FOLDER...\n"
               "\n"
               "Reads the GPS track and G-sensor samples a dash camera stored with each video\n"
               "FILE (BlackVue, Novatek and the other camera families the player reads, or\n"
               "an NMEA log beside it) and writes them out; --format probe tells which\n"
               "readers declined a file and why.\n"
               "\n"
               "options:\n"
               "  --format FORMAT  what to write (see below)\n"
               "  --output DIR     folder for the files of formats that write files\n"
               "  -q, --quiet      no progress messages (errors are still shown)\n"
               "  --clock-offset OFFSET\n"
               "                   add OFFSET (+3, -1:30) to the cameras' clocks: their file\n"
               "                   names and the records dated by them\n"
               "  --camera-zone ZONE\n"
               "                   the cameras' clocks show local time in ZONE (Europe/Kyiv);\n"
               "                   without either option, the corrections stored for each card\n"
               "  -h, --help       show this help\n"
               "      --version    show the version\n"
               "\n"
               "clip options (--format mp4):\n"
               "  --from TIME, --to TIME  the range: the camera's date and clock time, with\n"
               "                   the clock's correction (2026-05-16T10:00:07, fractions\n"
               "                   allowed) or an offset from the trip's start (+7, +1:05.5)\n"
               "  --layout LAYOUT  front (default), rear, pip, side or grid\n"
               "  --overlay LIST   read-outs to burn in, comma-separated: time, speed,\n"
               "                   position, heading, map, acceleration\n"
               "  --quality Q      original (default; copied without re-encoding for one view\n"
               "                   without read-outs), 1080p or 720p\n"
               "  --no-sound       leave the sound out\n"
               "  --gpx            write the range's GPS track beside the clip (CLIP.gpx)\n"
               "\n"
               "formats:\n",
               stream);
    for (const RVExportFormat& format : exportFormats()) {
        std::fprintf(stream, "  %-6.*s %.*s%s\n", int(format.name.size()), format.name.data(),
                     int(format.description.size()), format.description.data(),
                     format.outputDir == RVOutputDirUse::Required ? " (needs --output)" : "");
    }
    std::fputs("\n"
               "Numbers read back to the same double; NaN and infinite values are null.\n"
               "Exit status: 0 done, 1 a FILE could not be read or output not written (the\n"
               "others are still done), 2 bad arguments.\n",
               stream);
}

// Standard error carries the tool's own messages, one line each, which scripts read: the
// libraries' diagnostics (Qt's, FFmpeg's, and the layers' system-log lines) stay off it. What
// went wrong with a file is reported by the format itself.
void dropLibraryMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "korvela-export: %s\n", nativeText(message).constData());
        std::abort();
    }
}

int usageError(const QString& message)
{
    std::fprintf(stderr, "korvela-export: %s\n", nativeText(message).constData());
    printUsage(stderr);
    return kUsageError;
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(dropLibraryMessage);
    // Interrupted exports leave no half-written files beside the documents.
    RVAtomicFile::removeSideFilesOnSignals();
    RVAVUtil::silenceFFmpegLog();

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(RVNativePath::decode(QByteArray(argv[i]))); // names keep their bytes

    const RVArgumentsResult parsed = parseExportArguments(arguments);
    if (!parsed.arguments)
        return usageError(parsed.error);
    const RVExportArguments& options = *parsed.arguments;
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    if (options.version) {
        std::printf("korvela-export %s\n", KORVELA_VERSION);
        return 0;
    }

    const RVExportFormat* format = findExportFormat(options.format);
    if (!format)
        return usageError(QStringLiteral("unknown format \"%1\"").arg(options.format));
    if (format->outputDir == RVOutputDirUse::Required && options.outputDir.isEmpty())
        return usageError(QStringLiteral("--format %1 needs --output DIR").arg(options.format));
    if (format->outputDir == RVOutputDirUse::None && !options.outputDir.isEmpty())
        return usageError(QStringLiteral("--format %1 writes to standard output; --output is "
                                         "not used")
                              .arg(options.format));

    if (options.clipOptionGiven && options.format != QLatin1String("mp4"))
        return usageError(QStringLiteral("--from, --to, --layout, --overlay, --quality and "
                                         "--no-sound and --gpx are options of --format mp4"));

    // The cameras' clocks: the corrections the player keeps per card, unless the command line
    // gives one for every FILE.
    if (options.clockOffsetSeconds || !options.cameraZone.isEmpty()) {
        RVCameraClock::clearRules();
        RVCameraClock::setRule(QString(), std::nullopt,
                               {options.cameraZone, options.clockOffsetSeconds.value_or(0)});
    } else {
        RVCameraClock::loadRules();
    }

    RVExportContext context;
    context.from = options.from;
    context.to = options.to;
    context.layout = options.layout;
    context.overlay = options.overlay;
    context.quality = options.quality;
    context.sound = !options.noSound;
    context.gpx = options.gpx;
    context.files = options.files;
    context.outputDir = options.outputDir;
    // A progress line rewritten with carriage returns only where someone watches it.
    context.progress = options.quiet                             ? RVProgressStyle::Off
                       : RVPlatformFile::isTerminal(context.err) ? RVProgressStyle::InPlace
                                                                 : RVProgressStyle::Lines;
    return format->run(context);
}
