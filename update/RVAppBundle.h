#pragma once

#include <QString>

#include <optional>

// The self-updating install: a folder named "Korvela Player" holding bin/korvela-player and
// the program's resources. An update archive holds that folder at its top level; it is
// unpacked into "KorvelaPlayerUpdate" beside the installed folder. A copy installed by the
// system's package manager is not such a bundle and is never touched.
namespace RVAppBundle {

inline constexpr char kBundleName[] = "Korvela Player";
inline constexpr char kExecutable[] = "bin/korvela-player";
inline constexpr char kTemporaryFolder[] = "KorvelaPlayerUpdate";

// The bundle folder that holds this executable, or nothing when the executable does not sit
// at "<Korvela Player>/bin/korvela-player".
std::optional<QString> bundleOfExecutable(const QString& executablePath);

// Whether this copy may replace the bundle: the user can write the bundle and the folder that
// holds it (the update is unpacked beside it and renamed over it), and it is not below /usr,
// where the package manager keeps what it installed.
bool canReplace(const QString& bundle);

// "<bundle>/bin/korvela-player".
QString executableOf(const QString& bundle);

// Puts a copy of the source bundle at target, replacing whatever is there. The copy is made
// beside the target first, every file and folder of it synced to the disk, and then swapped
// in by renaming (in one step where the file system can exchange two entries), so a failed
// copy leaves the installed bundle as it was and a power cut leaves the old bundle or the
// whole new one. Symbolic links are copied as links, permissions are kept. False (and
// logged) when the new copy could not be put in place.
bool replaceBundle(const QString& source, const QString& target);

// Removes a folder and everything below it; links inside are removed, not followed. A missing
// folder is no error.
void removeFolder(const QString& path);

} // namespace RVAppBundle
