#pragma once

#include "metadata/RVMetaData.h"

#include <QString>

#include <optional>

// A recording's metadata as the dispatcher returns it, together with the name of the camera
// format whose reader recognised it ("BlackVue", "Mini", "Korvela"; null when none did).
struct RVRecordingMetaData final
{
    QString format;
    std::optional<RVMetaData> metaData;
};

// The dispatcher does not say which reader won, so this asks the three readers in the
// dispatcher's order (BlackVue, Mini, Korvela) and applies the dispatcher's clean-up
// (sensor samples centred on their medians, leading unknown altitudes filled in).
RVRecordingMetaData readRecordingMetaData(const QString& videoPath);
