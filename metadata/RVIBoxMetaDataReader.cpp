// iBox RoadScan cameras: the records are dated by the recording's name
// ("REC20260912-180135-43.mp4", on the camera's clock).

#include "metadata/RVIBoxMetaDataReader.h"

#include "metadata/RVNeolineMetaDataReader.h"

std::optional<RVMetaData>
RVIBoxMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVIBoxMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                      RVDecline& why) const
{
    return RVNeolineMetaDataReader::readVideo(videoPath, RVCameraFamily::IBox,
                                              RVSsmdLayout::DegreesMinutes32, why);
}
