#include "tools/korvela-export/RVRecordingReader.h"

#include "library/RVTsMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"

RVRecordingMetaData readRecordingMetaData(const QString& videoPath)
{
    RVTsMetaDataReader::install();
    RVRecordingMetaData result;
    std::vector<std::pair<QString, RVDecline>> declines;
    result.metaData = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(
        videoPath, &result.format, &declines);
    if (result.metaData)
        return result;
    for (const auto& [format, why] : declines) {
        if (why.kind == RVDecline::Kind::Unreadable) {
            result.readError = why.detail.isEmpty() ? declineKindName(why.kind) : why.detail;
            break;
        }
    }
    return result;
}
