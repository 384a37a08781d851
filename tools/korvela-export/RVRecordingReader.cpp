#include "tools/korvela-export/RVRecordingReader.h"

#include "library/RVTsMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"

RVRecordingMetaData readRecordingMetaData(const QString& videoPath)
{
    RVTsMetaDataReader::install();
    RVRecordingMetaData result;
    result.metaData =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(videoPath, &result.format);
    return result;
}
