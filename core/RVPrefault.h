#pragma once

#include <cstddef>

// Asks the system to map the pages of a freshly reserved buffer, writable, in one call,
// rather than one page fault at a time as the buffer is first written. A day's track is tens
// of megabytes, and a fault per 4 KiB page cost more than reading the text the track is made
// from. Only a hint: where it is not supported nothing happens and the faults come as usual.
namespace RVPrefault {
void forWriting(void* data, std::size_t bytes);
} // namespace RVPrefault
