#pragma once

#include "library/RVVideoData.h"

#include <QString>

// The question asked before a node's recordings are deleted from the disk. It names what goes,
// as the delete will do it: how many recordings, every camera view's video file, and the
// data files their metadata named (or, where not read yet, that those beside them go too);
// locked recordings stay and are counted apart.
class RVDeleteQuestion final
{
public:
    RVDeleteQuestion() = delete;

    // The question's text in the installed translation, one fact a line.
    static QString text(const RVVideoData& node);
};
