#pragma once

struct mpv_handle;

// The two sides of the video on screen, each known to the other only through these
// interfaces: the player owns the mpv handles (RVMpvPlayer), the surface makes a render
// context for each of them and draws the active one's frames (RVMpvVideoWidget).

// The surface side: what the handles' owner tells the surface.
class RVMpvRenderTarget
{
public:
    // The handles are about to go: the render contexts made for them must be freed now, and
    // the source is not asked again.
    virtual void renderSourceClosing() = 0;
    // The handles changed places: the next paint draws the other one's frame.
    virtual void activeHandleChanged() = 0;
    // The frame on screen must be drawn again although mpv calls it a repeat (the zoom or pan
    // changed while paused).
    virtual void redrawFrame() = 0;

protected:
    ~RVMpvRenderTarget() = default;
};

// The handles' side: what the surface asks of their owner.
class RVMpvRenderSource
{
public:
    static constexpr int kHandleCount = 2;

    // The handle `index` (0 or 1); null when mpv could not be created.
    virtual mpv_handle* handle(int index) const = 0;
    // Which of the two plays the current file.
    virtual int activeHandleIndex() const = 0;
    // The surface to tell about the handles; null forgets it (a surface going away).
    virtual void setRenderTarget(RVMpvRenderTarget* target) = 0;

protected:
    ~RVMpvRenderSource() = default;
};
