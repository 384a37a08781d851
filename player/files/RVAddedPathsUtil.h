#pragma once

#include <QString>
#include <QStringList>

// Paths given to the add command from outside the open panel (the command line, drops): local
// paths and file:// URIs are taken; what cannot be used is named with the reason, so that the
// user hears about it instead of seeing nothing happen.
struct RVAddedPaths
{
    QStringList usable;   // absolute local paths that exist
    QStringList problems; // one localised line per path that cannot be used
};

class RVAddedPathsUtil final
{
public:
    RVAddedPathsUtil() = delete;
    static RVAddedPaths resolve(const QStringList& arguments);
};
