#pragma once

#include "views/RVPlayerViewDelegate.h"
#include "views/RVViewUtil.h"

#include <QStringList>

#include <map>
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
    void graphClicked(double f) override { note(__func__, values, f); }
    void showThumbnailAtProgress(double f) override { note(__func__, values, f); }
    void showPopover() override { calls << __func__; }
    void hidePopover() override { calls << __func__; }
    void magnification(double f) override { note(__func__, values, f); }
    // Named after what the key does in the window.
    void keyPressed(RVViewKey key) override
    {
        static const std::map<RVViewKey, const char*> names{{RVViewKey::Return, "altEnterPressed"},
                                                            {RVViewKey::Escape, "escapePressed"},
                                                            {RVViewKey::Space, "spacebarPressed"},
                                                            {RVViewKey::N, "nextFrame"},
                                                            {RVViewKey::E, "nextEvent"},
                                                            {RVViewKey::ShiftE, "previousEvent"},
                                                            {RVViewKey::B, "prevFrame"},
                                                            {RVViewKey::Left, "goBack"},
                                                            {RVViewKey::Right, "goForward"},
                                                            {RVViewKey::Home, "goToStart"},
                                                            {RVViewKey::End, "goToEnd"},
                                                            {RVViewKey::F11, "fullScreenPressed"},
                                                            {RVViewKey::J, "rewindPressed"},
                                                            {RVViewKey::L, "fastForwardPressed"},
                                                            {RVViewKey::I, "markIn"},
                                                            {RVViewKey::O, "markOut"}};
        calls << names.at(key);
    }
    void lockClicked(Node n) override { note("lock", nodes, n); }
    void unlockClicked(Node n) override { note("unlock", nodes, n); }
    void removeClicked(Node n) override { note("remove", nodes, n); }
};
