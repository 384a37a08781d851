#pragma once

#include <QImage>
#include <QString>

#include <vector>

// A clip as players show it: its pictures in display order (what the edit list lets through),
// as RGB images, with their display times in seconds.
struct ShownFrame
{
    double seconds = 0;
    QImage image;
};
std::vector<ShownFrame> shownFrames(const QString& path);
