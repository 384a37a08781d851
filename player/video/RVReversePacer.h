#pragma once

#include <optional>

// Timing of backward playback. mpv's own backward mode was seen to freeze on clips with long
// key-frame intervals, so backward play is a chain of exact seeks made while the player is
// paused: the position the user should see moves from the anchor at the requested (negative)
// rate in wall-clock time, and each step seeks to the frame at that ideal position once the
// previous step's frame is on screen. When decoding is slower than the rate, frames are skipped
// but the shown time still follows the clock. All times are in seconds.
class RVReversePacer final
{
public:
    // Starts from `positionSeconds` at wall time `nowSeconds`; `rate` must be negative.
    void start(double positionSeconds, double rate, double nowSeconds);
    // Length of one frame (1 / frames per second); values <= 0 use a 30 fps guess.
    void setFrameDuration(double seconds);
    double frameDuration() const { return m_frameDuration; }

    // The position backward play should show at wall time `nowSeconds` (never below 0).
    double idealPosition(double nowSeconds) const;
    // Where to seek at `nowSeconds` while the frame at `shownSeconds` is on screen, snapped to
    // the frame grid, or nothing when the frame on screen is still the right one.
    std::optional<double> stepTarget(double shownSeconds, double nowSeconds) const;
    // Wall time at which the frame before `shownSeconds` becomes due.
    double nextStepDue(double shownSeconds) const;
    // True once the ideal position is the start and the start frame is on screen.
    bool reachedStart(double shownSeconds, double nowSeconds) const;

private:
    double m_anchorPosition = 0.0;
    double m_anchorWall = 0.0;
    double m_rate = -1.0;
    double m_frameDuration = 1.0 / 30.0;
};
