#pragma once

#include <memory>

class RVVideoData;
enum class RVViewKey;

// What the window's views report to the player window's controller. The views never act on
// their own: keys, clicks, pinches and the time slider's hover and seek requests all arrive
// here, and the controller decides. Every operation is required.
class RVPlayerViewDelegate
{
public:
    virtual ~RVPlayerViewDelegate() = default;

    // The video area was clicked twice / once (a double click reports click first).
    virtual void doubleClick() = 0;
    virtual void click() = 0;
    // A key of the window's key map (RVViewUtil) was pressed.
    virtual void keyPressed(RVViewKey key) = 0;
    // Seek request: a fraction of the playing node's duration; clicks in the slider's
    // margins give values slightly outside 0..1.
    virtual void graphClicked(double fraction) = 0;
    // Hover over the slider's time axis: the frame at that fraction of the duration.
    virtual void showThumbnailAtProgress(double fraction) = 0;
    virtual void showPopover() = 0;
    virtual void hidePopover() = 0;
    // Pinch on the video: a step factor around 1 (1.25 to grow by a quarter).
    virtual void magnification(double factor) = 0;
    // The file list's context menu commands, for the node the menu was opened on.
    virtual void lockClicked(std::shared_ptr<RVVideoData> node) = 0;
    virtual void unlockClicked(std::shared_ptr<RVVideoData> node) = 0;
    virtual void removeClicked(std::shared_ptr<RVVideoData> node) = 0;

protected:
    RVPlayerViewDelegate() = default;
    RVPlayerViewDelegate(const RVPlayerViewDelegate&) = default;
    RVPlayerViewDelegate& operator=(const RVPlayerViewDelegate&) = default;
};
