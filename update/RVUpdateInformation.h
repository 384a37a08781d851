#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The update-information text served at "/korvelaplayer.php" on the maker's web server:
// line-feed separated lines (carriage returns anywhere are dropped), each recognised by how it
// begins, checked in the order "macVersion", "macDownloadURL", "macDownloadSHA256",
// "firmwareURL". The text served is signed (RVUpdateSignature); only its signed part is parsed. The
// value is the rest of the line after the key and one more character (normally "="), taken
// verbatim. A later line replaces an earlier value of the same key; other lines are ignored. A line
// that is nothing but the key carries no value and is ignored too.
struct RVUpdateInformation final
{
    std::optional<QString> macVersion;        // latest application version, such as 1.4.2
    std::optional<QString> macDownloadURL;    // zip archive holding the new application bundle
    std::optional<QString> macDownloadSHA256; // that archive's SHA-256, 64 hex digits
    std::optional<QString> firmwareURL;       // firmware description, with "%model%"

    // Bytes are read as 7-bit text; a byte above 127 stands for the Latin-1 character.
    static RVUpdateInformation parse(const QByteArray& body);
};

// True when the published version is newer than the installed one. Both are split at ".", each
// component read as the integer of its leading digits (0 without any). Over the components both
// have, the first position where they differ decides; when all are equal, the published one
// is newer exactly when it has more components.
bool isPublishedVersionNewer(const QString& installedVersion, const QString& publishedVersion);

// True when the camera firmware version published is newer than the one on the card. Both are
// cut into runs of digits and runs of other characters ("X1-15": X, 1, -, 15); over the runs
// both have, the first that differs decides, two runs of digits compared as numbers (X1-15 is
// newer than X1-9) and anything else as text, case-sensitively. When all are equal, the
// published one is newer exactly when it has more runs.
bool isPublishedFirmwareNewer(const QString& installedVersion, const QString& publishedVersion);
