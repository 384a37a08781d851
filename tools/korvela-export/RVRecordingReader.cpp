#include "tools/korvela-export/RVRecordingReader.h"

#include "metadata/RVGpsProcessor.h"

RVRecordingMetaData readRecordingMetaData(const QString& videoPath)
{
    RVRecordingMetaData result;
    result.metaData =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(videoPath, &result.format);
    return result;
}
