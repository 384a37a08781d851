#include "tools/korvela-export/RVExportFormats.h"

namespace {

constexpr RVExportFormat kFormats[] = {
    {"json",
     "a JSON array with one object per FILE, in argument order: file, format (\"BlackVue\", "
     "\"Mini\", \"Korvela\", or null when no reader recognises it), points, gSensorData, "
     "velocityData, relatedFiles",
     RVOutputDirUse::None, &runJsonFormat},
    {"kml", "one KML file per trip or single recording, NAME.kml", RVOutputDirUse::Required,
     &runKmlFormat},
    {"gpx", "one GPX file per trip or single recording, NAME.gpx", RVOutputDirUse::Required,
     &runGpxFormat},
    {"csv",
     "two spreadsheet tables per trip or single recording, NAME.gps.csv (track) and "
     "NAME.gsensor.csv (acceleration), UTF-16",
     RVOutputDirUse::Required, &runCsvFormat},
};

} // namespace

std::span<const RVExportFormat> exportFormats()
{
    return kFormats;
}

const RVExportFormat* findExportFormat(const QString& name)
{
    for (const RVExportFormat& format : kFormats) {
        if (name == QLatin1String(format.name.data(), qsizetype(format.name.size())))
            return &format;
    }
    return nullptr;
}
