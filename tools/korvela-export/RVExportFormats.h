#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <span>
#include <string_view>

// The output formats of korvela-export. A format is one function in a file of its own
// (JsonFormat.cpp: runJsonFormat) and one row of the table in RVExportFormats.cpp.

// What a format gets: the files in argument order, the --output folder (empty when not given)
// and the streams to write to.
struct RVExportContext final
{
    QStringList files;
    QString outputDir;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// A format returns the process's exit status: 0 when everything was written, 1 when some
// file could not be read or some output not written (the rest is still done).
using RVExportFunction = int (*)(const RVExportContext& context);

enum class RVOutputDirUse
{
    None,
    Required
};

struct RVExportFormat final
{
    std::string_view name;        // the --format value
    std::string_view description; // one line for the usage text
    RVOutputDirUse outputDir;
    RVExportFunction run;
};

std::span<const RVExportFormat> exportFormats();
const RVExportFormat* findExportFormat(const QString& name);

// The formats.
int runJsonFormat(const RVExportContext& context);
// FileFormats.cpp: the window's exports of every library node, into the --output folder.
int runKmlFormat(const RVExportContext& context);
int runGpxFormat(const RVExportContext& context);
int runCsvFormat(const RVExportContext& context);
