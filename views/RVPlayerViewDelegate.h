#pragma once

#include <memory>

class RVVideoData;

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
    // Keys of the key map (RVViewUtil).
    virtual void altEnterPressed() = 0;
    virtual void escapePressed() = 0;
    virtual void spacebarPressed() = 0;
    // Seek request: a fraction of the playing node's duration; clicks in the slider's
    // margins give values slightly outside 0..1.
    virtual void graphClicked(double fraction) = 0;
    // Hover over the slider's time axis: the frame at that fraction of the duration.
    virtual void showThumbnailAtProgress(double fraction) = 0;
    virtual void showPopover() = 0;
    virtual void hidePopover() = 0;
    // Pinch on the video: a step factor around 1 (1.25 to grow by a quarter).
    virtual void magnification(double factor) = 0;
    virtual void nextFrame() = 0;
    virtual void prevFrame() = 0;
    virtual void goForward() = 0;
    virtual void goBack() = 0;
    // The start and the end of the playing node.
    virtual void goToStart() = 0;
    virtual void goToEnd() = 0;
    // Full screen on and off.
    virtual void fullScreenPressed() = 0;
    // One rate step backwards / forwards, as the rewind and fast forward buttons.
    virtual void rewindPressed() = 0;
    virtual void fastForwardPressed() = 0;
    // The file list's context menu commands, for the node the menu was opened on.
    virtual void lockClicked(std::shared_ptr<RVVideoData> node) = 0;
    virtual void unlockClicked(std::shared_ptr<RVVideoData> node) = 0;
    virtual void removeClicked(std::shared_ptr<RVVideoData> node) = 0;

protected:
    RVPlayerViewDelegate() = default;
    RVPlayerViewDelegate(const RVPlayerViewDelegate&) = default;
    RVPlayerViewDelegate& operator=(const RVPlayerViewDelegate&) = default;
};
