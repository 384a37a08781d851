#pragma once

#include <functional>

// Shared by the player benchmarks.
namespace benchsupport {

// Sleeps in the event loop like the window does; polling it would take a whole core from the
// decoder on a two-core machine. A timer every wakeMs only bounds the wait.
bool waitFor(const std::function<bool()>& condition, int timeoutMs, int wakeMs = 20);
// CPU time of the whole process (all threads: decoder, renderer, GUI), in seconds.
double processCpuSeconds();

} // namespace benchsupport
