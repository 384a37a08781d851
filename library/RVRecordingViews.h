#pragma once

#include "library/RVVideoFile.h"

#include <vector>

// A video file as a folder walk found it, before it is known which recording it belongs to.
struct RVFoundVideo
{
    QString path;
    RVTimestamp created;
    bool locked = false;
    RVFileId id;
    std::uint64_t size = 0;    // bytes
    std::uint64_t mountId = 0; // the mount it was found on (RVPlatformFile::Info), 0 unknown
};

// Joins the files of one moment recorded by different cameras of one device into one
// recording each, by their family's name rule (RVRecordingName): same family, mode and
// folder (or sibling folders), start times at most the family's tolerance apart (BlackVue:
// equal, so the names differ only in the channel letter; Novatek and 70mai: 2 s, since the
// sequence numbers differ per channel), and each channel at most once. Files no rule claims
// are recordings of one view. Records keep the order of their first file; durations are left
// unmeasured (NaN). A recording's date is its front (else first) view's start time by its
// name (RVTimeSource::Name), or the file's date for names no rule claims; it is locked when
// any view is. A camera's lower-quality copy of a file found in the same folder is left out.
RVVideoFileList combineViews(const std::vector<RVFoundVideo>& found);
