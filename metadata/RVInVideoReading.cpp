#include "metadata/RVInVideoReading.h"

#include "metadata/RVMetaPath.h"

std::optional<RVMetaData> RVInVideoReading::read(const QString& videoPath, RVDecline& why,
                                                 OpenVideoRead read)
{
    why = {RVDecline::Kind::NotMine, {}};
    RVRegularFile video;
    if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered))
        return std::nullopt;
    return read(video, video.size(), &why);
}
