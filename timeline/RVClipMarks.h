#pragma once

#include <optional>
#include <utility>

// The two ends of a clip on the trip's time line, in trip seconds.
enum class RVClipMark
{
    In,
    Out
};

// The start (I) and end (O) marks of a clip to export: a value the window keeps for the
// playing trip and hands to the time slider to draw. Marks always lie on the trip
// (0..duration) and the start stays before the end:
// - setting a mark where it would pass the other one drops the other one, as video editors
//   do (a new start after the end begins a new range);
// - dragging a mark stops it a moment (kMinimumSeconds) short of the other one.
// One mark alone still makes a range: from the start mark to the trip's end, or from the
// trip's start to the end mark.
class RVClipMarks final
{
public:
    // The shortest range the marks enclose: about one frame at 25 frames a second.
    static constexpr double kMinimumSeconds = 0.04;

    // A new trip (or none: 0) drops both marks.
    void reset(double durationSeconds);
    double duration() const { return m_duration; }

    void set(RVClipMark mark, double tripSeconds);
    void drag(RVClipMark mark, double tripSeconds);
    void clear() { m_in.reset(), m_out.reset(); }

    std::optional<double> at(RVClipMark mark) const
    {
        return mark == RVClipMark::In ? m_in : m_out;
    }
    bool isEmpty() const { return !m_in && !m_out; }
    // The marked range in trip seconds; nothing without marks.
    std::optional<std::pair<double, double>> range() const;
    // A mark as a fraction of the trip's duration, as the slider draws it.
    std::optional<double> fraction(RVClipMark mark) const;

private:
    double clamp(double seconds) const;

    double m_duration = 0;
    std::optional<double> m_in;
    std::optional<double> m_out;
};
