#pragma once

#include "metadata/RVMetaData.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>

// Why a reader gave no metadata for a recording. The log, the window's tooltip and the probe
// report it, so a driver whose camera is not read can tell "not a known camera" from "known,
// but its data is encrypted".
struct RVDecline final
{
    enum class Kind
    {
        NotMine,       // nothing of this reader's format in or beside the recording
        NoFixYet,      // this reader's format, but no position was recorded yet
        Encrypted,     // this reader's format, with its data encrypted or scrambled beyond reading
        UnknownLayout, // this reader's container, but a data layout it does not know
        Unreadable     // this reader's format, but the file could not be read (I/O, too large)
    };
    Kind kind = Kind::NotMine;
    // Where and what, for people: "freeGPS block at offset 0x1A2B00: unknown layout".
    QString detail;
};

// "not mine", "no fix yet", "encrypted", "unknown layout", "unreadable".
QString declineKindName(RVDecline::Kind kind);

// The contract of a camera format's reader: given the full path of a video file, return the
// recording's metadata when this reader recognises the recording and could read its source
// as text (even if the text gave no points), or nothing when it is not this reader's format.
// A fresh reader is made for every call; readers keep no state between calls.
class RVMetaDataReader
{
public:
    virtual ~RVMetaDataReader() = default;
    virtual std::optional<RVMetaData> readMetaDataFromVideoFile(const QString& videoPath) const
    {
        (void)videoPath;
        return std::nullopt;
    }
    // The same read, saying why when it gives nothing. Readers that can tell more than "not
    // mine" override this one and implement readMetaDataFromVideoFile by calling it (a
    // different name, so an override of one never hides the other).
    virtual std::optional<RVMetaData> readMetaDataOrDecline(const QString& videoPath,
                                                            RVDecline& why) const;

    // One camera family: the name its recordings are reported under and a maker of a fresh
    // reader.
    struct Entry
    {
        const char* format;
        std::unique_ptr<RVMetaDataReader> (*make)();
    };
    // Every camera family's reader, in the order the dispatcher asks them
    // (RVMetaDataReaders.cpp), then those added.
    static std::span<const Entry> all();
    // Adds a reader from a layer above this one (a container only FFmpeg reads), asked after
    // the others. Call before the first read; adding the same maker again does nothing. A few
    // places are kept for such readers; false when they are taken.
    static bool addReader(Entry entry);
};
