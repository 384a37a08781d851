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
    std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                    RVDecline& why) const override;

    // Nothing when the video holds no subtitle track with Thinkware's cues (why says more).
    static std::optional<RVMetaData> readMetaData(QIODevice& device, qint64 fileSize,
                                                  RVDecline* why = nullptr);

    // Reads the cues of a track one by one into a track and sensor samples.
    class CueReader final
    {
    public:
        // False when the cue holds no fix sentence and no G-sensor reading.
        bool addCue(std::string_view cue);
        // Whether a cue so far held what only Thinkware writes (see the .cpp).
        bool isThinkware() const { return m_thinkware; }
        RVMetaData finish();

    private:
        RVNmeaTrackBuilder m_track;
        std::vector<RVSensorData> m_samples;
        std::string m_sentence; // the sentence with its "$", as the NMEA rules read it
        bool m_thinkware = false;
    };
};
