#pragma once

#include "timeline/RVPlayerViewDelegate.h"

#include <QString>
#include <QStringList>

#include <vector>

// Writes down every call it receives, with its argument, in order.
class RecordingDelegate final : public RVPlayerViewDelegate
{
public:
    QStringList calls;
    std::vector<double> values; // the arguments of the calls that take a number, in order
    std::vector<std::shared_ptr<RVVideoData>> nodes; // the nodes of the file list's commands

    void doubleClick() override { calls << QStringLiteral("doubleClick"); }
    void click() override { calls << QStringLiteral("click"); }
    void altEnterPressed() override { calls << QStringLiteral("altEnterPressed"); }
    void escapePressed() override { calls << QStringLiteral("escapePressed"); }
    void spacebarPressed() override { calls << QStringLiteral("spacebarPressed"); }
    void graphClicked(double f) override { record(QStringLiteral("graphClicked"), f); }
    void showThumbnailAtProgress(double f) override
    {
        record(QStringLiteral("showThumbnailAtProgress"), f);
    }
    void showPopover() override { calls << QStringLiteral("showPopover"); }
    void hidePopover() override { calls << QStringLiteral("hidePopover"); }
    void magnification(double f) override { record(QStringLiteral("magnification"), f); }
    void nextFrame() override { calls << QStringLiteral("nextFrame"); }
    void prevFrame() override { calls << QStringLiteral("prevFrame"); }
    void goForward() override { calls << QStringLiteral("goForward"); }
    void goBack() override { calls << QStringLiteral("goBack"); }
    void goToStart() override { calls << QStringLiteral("goToStart"); }
    void goToEnd() override { calls << QStringLiteral("goToEnd"); }
    void fullScreenPressed() override { calls << QStringLiteral("fullScreenPressed"); }
    void rewindPressed() override { calls << QStringLiteral("rewindPressed"); }
    void fastForwardPressed() override { calls << QStringLiteral("fastForwardPressed"); }
    void lockClicked(std::shared_ptr<RVVideoData> n) override { node(QStringLiteral("lock"), n); }
    void unlockClicked(std::shared_ptr<RVVideoData> n) override
    {
        node(QStringLiteral("unlock"), n);
    }
    void removeClicked(std::shared_ptr<RVVideoData> n) override
    {
        node(QStringLiteral("remove"), n);
    }

    void clear()
    {
        calls.clear();
        values.clear();
    }

private:
    void record(const QString& name, double value)
    {
        calls << name;
        values.push_back(value);
    }
    void node(const QString& name, std::shared_ptr<RVVideoData> node)
    {
        calls << name;
        nodes.push_back(std::move(node));
    }
};
