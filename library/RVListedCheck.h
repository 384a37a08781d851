#pragma once

#include "library/RVVideoFile.h"

#include <QString>

// Whether a recording's files are still the ones the list was built from. Another card put in
// at the same mount path (or a folder replaced by another) shows the same names: "FILE0001.MOV"
// then names a different recording, and playing, locking or deleting by the old list would act
// on the wrong one. A file is known by what was read when it was listed: the mount it was found
// on (every mount gets a new number), its device and inode, and its size.
enum class RVListedChange
{
    None,
    Missing,   // nothing at the path any more
    Remounted, // the path now lies on another mount: the card was taken out or swapped
    OtherFile, // another file (another device or inode, or no regular file) has the name
    Resized,   // the same file, but its size changed: it was written since
};

struct RVListedCheck final
{
    RVListedChange change = RVListedChange::None;
    QString path; // the first view that differs

    bool changed() const { return change != RVListedChange::None; }
    // One plain line for the log ("/card/DCIM/FILE0001.MOV: another file has this name now").
    QString description() const;
};

// Compares every view of the recording with what was listed. Asks the file system (one stat
// per view): call it off the GUI thread. A record listed without identities (made by hand,
// not by a folder walk) has nothing to compare and counts as unchanged, and so does a view the
// card cannot be asked about (an I/O error is no proof of another card; the command itself
// then fails and says so).
RVListedCheck checkListedRecording(const RVVideoFile& file);
