#pragma once

#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <span>
#include <string_view>
#include <vector>

struct RVMetaData;

// The "freeGPS " blocks that Novatek-based cameras keep in their videos come in many layouts:
// each maker moved the record, changed its units, wrote NMEA text, or scrambled it. This is
// the table of the layouts known, each recognised by its own signature (fixed bytes at fixed
// offsets, letters and ranges) and read by its own decoder. A block is given to the first
// layout whose signature it carries; a block that none recognises gives nothing at all.
namespace RVFreeGps {

struct Fix
{
    RVPoint point;
    double speedKmh = 0;
    // False where the layout holds no speed in a known unit: speedKmh is NaN then.
    bool speedKnown = true;
};

struct Layout;

struct Block
{
    enum class Status
    {
        Fix,       // one fix or more (and maybe samples)
        NoFix,     // a known layout, but the receiver had no position yet (samples may be there)
        Encrypted, // a known layout whose coordinates are encrypted: nothing is read from it
        Unknown    // no layout recognised the block, or its values were out of range
    };
    Status status = Status::Unknown;
    const Layout* layout = nullptr; // the layout that recognised the block, if any
    std::vector<Fix> fixes;
    std::vector<RVSensorData> samples;
    // The times were written from the camera's clock (local time) as if they were UTC.
    bool localClock = false;
    // The time the block is dated by, also without a fix (Novatek records: the camera's clock
    // then); invalid for layouts that date only their fixes.
    RVTimestamp written;
};

// One layout: its name for people (the probe and the logs), the test of its signature and
// its decoder. decode runs only on blocks that matches accepted, and may still refuse a block
// (Unknown) whose values are out of range.
struct Layout
{
    const char* name;
    bool (*matches)(std::string_view block);
    Block (*decode)(std::string_view block);
};

// Every layout in the order they are tried: narrower signatures before wider ones.
std::span<const Layout> layouts();

// What the rest of the file tells of the camera, for blocks that look alike but are read
// differently. A Rexing V1-4k writes the record at 0x30 with scaled coordinates; its file alone
// tells it (a top-level "frea" box holding a "ver " box with "3.01.054").
struct FileHints
{
    bool rexingScaled = false;
};

// Reads one block, from its size field on (the first 0x410 bytes suffice for every layout).
// Every fix that comes out has a valid time, coordinates within ±90/±180 and not both zero,
// a finite speed below 1,000 km/h (or one marked unknown) and a course within 0-360 degrees; a
// decoder that gives anything else has the whole block refused.
Block read(std::string_view block, const FileHints& hints = {});

// True for blocks that start with a size and the eight bytes "freeGPS ".
bool isBlock(std::string_view block);

// The checks read puts every decoded block through, for records decoded elsewhere (a track's
// samples): false when a fix or sample is out of range or the status disagrees with the fixes.
// Courses below zero are turned into 0-360 degrees.
bool isSound(Block& block);

// Adds the block's fixes (with their speeds) and sensor samples to data; a block of fixes by the
// camera's clock marks data so.
void appendTo(const Block& block, RVMetaData& data);

} // namespace RVFreeGps
