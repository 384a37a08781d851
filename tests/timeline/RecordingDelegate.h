#pragma once

#include "views/RVPlayerViewDelegate.h"

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

    template <typename T>
    void note(const char* call, std::vector<T>& arguments, T argument)
    {
        calls << call;
        arguments.push_back(std::move(argument));
    }

    void doubleClick() override { calls << __func__; }
    void click() override { calls << __func__; }
    void altEnterPressed() override { calls << __func__; }
    void escapePressed() override { calls << __func__; }
    void spacebarPressed() override { calls << __func__; }
    void graphClicked(double f) override { note(__func__, values, f); }
    void showThumbnailAtProgress(double f) override { note(__func__, values, f); }
    void showPopover() override { calls << __func__; }
    void hidePopover() override { calls << __func__; }
    void magnification(double f) override { note(__func__, values, f); }
    void nextFrame() override { calls << __func__; }
    void prevFrame() override { calls << __func__; }
    void goForward() override { calls << __func__; }
    void goBack() override { calls << __func__; }
    void goToStart() override { calls << __func__; }
    void goToEnd() override { calls << __func__; }
    void fullScreenPressed() override { calls << __func__; }
    void rewindPressed() override { calls << __func__; }
    void fastForwardPressed() override { calls << __func__; }
    void lockClicked(Node n) override { note("lock", nodes, n); }
    void unlockClicked(Node n) override { note("unlock", nodes, n); }
    void removeClicked(Node n) override { note("remove", nodes, n); }
};
