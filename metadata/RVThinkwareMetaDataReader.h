#pragma once

#include "metadata/RVMetaDataReader.h"
#include "metadata/RVNmeaTrackBuilder.h"

#include <QtGlobal>

#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// Reader of Thinkware cameras, which write NMEA sentences and G-sensor lines as the cues of a
// subtitle track of the front camera's video (see the .cpp).
class RVThinkwareMetaDataReader final : public RVMetaDataReader
{
public:
    std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const override;

    // Nothing when the video holds no subtitle track with Thinkware's cues.
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize);

    // Reads the cues of a track one by one into a track and sensor samples.
    class CueReader final
    {
    public:
        // False when the cue holds nothing of Thinkware's (no RMC, no G-sensor line).
        bool addCue(std::string_view cue);
        RVMetaData finish();

    private:
        RVNmeaTrackBuilder m_track;
        std::vector<RVSensorData> m_samples;
        std::string m_sentence; // the sentence with its "$", as the NMEA rules read it
    };
};
