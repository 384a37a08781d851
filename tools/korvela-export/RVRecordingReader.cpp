#include "tools/korvela-export/RVRecordingReader.h"

#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"

RVRecordingMetaData readRecordingMetaData(const QString& videoPath)
{
    RVRecordingMetaData result;
    // Fresh readers for every call, asked in the dispatcher's order; the first to recognise
    // the recording wins even when its source yielded no points.
    if ((result.metaData = RVBlackVueMetaDataReader().readMetaDataFromVideoFile(videoPath)))
        result.format = QStringLiteral("BlackVue");
    else if ((result.metaData = RVMiniMetaDataReader().readMetaDataFromVideoFile(videoPath)))
        result.format = QStringLiteral("Mini");
    else if ((result.metaData = RVKorvelaMetaDataReader().readMetaDataFromVideoFile(videoPath)))
        result.format = QStringLiteral("Korvela");
    else
        return result;

    const RVGpsProcessor& processor = RVGpsProcessor::sharedInstance();
    result.metaData->gSensorData = processor.normalizeSensorData(result.metaData->gSensorData);
    processor.fixFirstAltitudeRecords(result.metaData->points);
    return result;
}
