#pragma once

#include "timeline/RVPlayerViewDelegate.h"

#include <QStringList>

#include <vector>

// Writes down every call it receives, with its argument, in order.
class RecordingDelegate final : public RVPlayerViewDelegate
{
public:
    QStringList calls;
    std::vector<double> values; // the arguments of the calls that take a number, in order
    std::vector<std::shared_ptr<RVVideoData>> nodes; // the nodes of the file list's commands

    void doubleClick() override { calls << "doubleClick"; }
    void click() override { calls << "click"; }
    void altEnterPressed() override { calls << "altEnterPressed"; }
    void escapePressed() override { calls << "escapePressed"; }
    void spacebarPressed() override { calls << "spacebarPressed"; }
    void graphClicked(double f) override { record("graphClicked", f); }
    void showThumbnailAtProgress(double f) override { record("showThumbnailAtProgress", f); }
    void showPopover() override { calls << "showPopover"; }
    void hidePopover() override { calls << "hidePopover"; }
    void magnification(double f) override { record("magnification", f); }
    void nextFrame() override { calls << "nextFrame"; }
    void prevFrame() override { calls << "prevFrame"; }
    void goForward() override { calls << "goForward"; }
    void goBack() override { calls << "goBack"; }
    void goToStart() override { calls << "goToStart"; }
    void goToEnd() override { calls << "goToEnd"; }
    void fullScreenPressed() override { calls << "fullScreenPressed"; }
    void rewindPressed() override { calls << "rewindPressed"; }
    void fastForwardPressed() override { calls << "fastForwardPressed"; }
    void lockClicked(std::shared_ptr<RVVideoData> n) override { node("lock", n); }
    void unlockClicked(std::shared_ptr<RVVideoData> n) override { node("unlock", n); }
    void removeClicked(std::shared_ptr<RVVideoData> n) override { node("remove", n); }

    void clear()
    {
        calls.clear();
        values.clear();
    }

private:
    void record(const char* name, double value)
    {
        calls << name;
        values.push_back(value);
    }
    void node(const char* name, std::shared_ptr<RVVideoData> node)
    {
        calls << name;
        nodes.push_back(std::move(node));
    }
};
