#pragma once

#include "timeline/RVPlayerViewDelegate.h"

#include <QStringList>

#include <vector>

// Writes down every call it receives, with its argument, in order.
class RecordingDelegate final : public RVPlayerViewDelegate
{
public:
    using Node = std::shared_ptr<RVVideoData>;
    QStringList calls;
    std::vector<double> values; // the arguments of the calls that take a number, in order
    std::vector<Node> nodes;    // the nodes of the file list's commands

    void doubleClick() override { calls << __func__; }
    void click() override { calls << __func__; }
    void altEnterPressed() override { calls << __func__; }
    void escapePressed() override { calls << __func__; }
    void spacebarPressed() override { calls << __func__; }
    void graphClicked(double f) override { calls << __func__, values.push_back(f); }
    void showThumbnailAtProgress(double f) override { calls << __func__, values.push_back(f); }
    void showPopover() override { calls << __func__; }
    void hidePopover() override { calls << __func__; }
    void magnification(double f) override { calls << __func__, values.push_back(f); }
    void nextFrame() override { calls << __func__; }
    void prevFrame() override { calls << __func__; }
    void goForward() override { calls << __func__; }
    void goBack() override { calls << __func__; }
    void goToStart() override { calls << __func__; }
    void goToEnd() override { calls << __func__; }
    void fullScreenPressed() override { calls << __func__; }
    void rewindPressed() override { calls << __func__; }
    void fastForwardPressed() override { calls << __func__; }
    void lockClicked(Node n) override { calls << "lock", nodes.push_back(n); }
    void unlockClicked(Node n) override { calls << "unlock", nodes.push_back(n); }
    void removeClicked(Node n) override { calls << "remove", nodes.push_back(n); }
};
