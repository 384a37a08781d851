#pragma once

#include "metadata/RVPoint.h"

// Whether the exports write a point at all: it must have a position, that is not be a zero
// point (Part of the records' rules) and have two finite coordinates. A coordinate text that
// overflows ("1e400") or names no number counts as unknown, so no export ever carries "inf" or
// "nan" for a position.
namespace RVExportPosition {
bool isUsable(const RVPoint& point);
} // namespace RVExportPosition
