#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdio>
#include <span>
#include <string_view>

// The output formats of korvela-export. A format is one function in a file of its own
// (JsonFormat.cpp: runJsonFormat) and one row of the table in RVExportFormats.cpp.

enum class RVProgressStyle
{
    Off,
    Lines,
    InPlace
};

// What a format gets: the files in argument order, the --output folder (empty when not given)
// and the streams to write to.
struct RVExportContext final
{
    QStringList files;
    QString outputDir;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    // How progress is shown on err: not at all (--quiet), one line now and then (err is a file
    // or pipe, whose reader would see every carriage-return update), or a line rewritten in
    // place (err is a terminal).
    RVProgressStyle progress = RVProgressStyle::Lines;
    // --format mp4's options, as given.
    QString from, to, layout, overlay, quality;
    bool sound = true;
    bool gpx = false; // the range's track beside the clip
};

// Progress of reading done of total recordings, in the context's style. Called from the pool
// threads; reports only progress beyond what was shown (a tenth at a time as lines).
class RVProgressReporter final
{
public:
    explicit RVProgressReporter(const RVExportContext& context) : m_context(context) {}
    void report(int done, int total);
    // Ends an in-place line so that what follows starts on a line of its own.
    void finish();

private:
    const RVExportContext& m_context;
    std::atomic<int> m_shown{0};
    std::atomic<int> m_lastTenth{-1};
};

// A format returns the process's exit status: 0 when everything was written, 1 when some
// file could not be read or some output not written (the rest is still done).
using RVExportFunction = int (*)(const RVExportContext& context);

enum class RVOutputDirUse
{
    None,
    Required,
    Optional
};

struct RVExportFormat final
{
    std::string_view name;        // the --format value
    std::string_view description; // one line for the usage text
    RVOutputDirUse outputDir;
    RVExportFunction run;
};

std::span<const RVExportFormat> exportFormats();

// A message for the terminal: file names in it keep the bytes they have on disk, also those
// that are not UTF-8 (the rest is UTF-8).
QByteArray nativeText(const QString& text);
const RVExportFormat* findExportFormat(const QString& name);

// The formats.
int runJsonFormat(const RVExportContext& context);
// FileFormats.cpp: the window's exports of every library node, into the --output folder.
int runKmlFormat(const RVExportContext& context);
int runGpxFormat(const RVExportContext& context);
int runCsvFormat(const RVExportContext& context);
int runTreeFormat(const RVExportContext& context);
// ProbeFormat.cpp: what a maintainer needs to add a camera.
int runProbeFormat(const RVExportContext& context);
// ClipFormat.cpp: a clip of the trip the FILEs make, into --output DIR (default: here).
int runMp4Format(const RVExportContext& context);
