#pragma once

#include "metadata/RVPoint.h"

#include <cstddef>

// Whether the exports write a point at all: it must have a position, that is not be a zero
// point (RVGpsProcessor::isZeroPoint) and have two finite coordinates. A coordinate text that
// overflows ("1e400") or names no number counts as unknown, so no export ever carries "inf" or
// "nan" for a position.
//
// Writers that already know both texts are plain decimals (digits, sign and point, as the
// coordinate converter writes them, and short) need only the zero-point test: such a text is
// always finite. hasFiniteCoordinates is the slow path for the other texts.
namespace RVExportPosition {
// Both coordinate texts are plain decimals of at most kPlainMaxLength characters.
bool hasPlainCoordinates(const RVPoint& point);
bool hasFiniteCoordinates(const RVPoint& point);
constexpr std::size_t kPlainMaxLength = 64;
} // namespace RVExportPosition
