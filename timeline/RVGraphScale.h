#pragma once

#include <QString>

// The vertical scale of a graph band: bounds rounded to steps a reader takes in at a glance
// (0, 25, 50 km/h; -0.5, 0, 0.5 g) that hold every value, so neither the lowest nor the
// highest value is cut off.
struct RVGraphScale final
{
    double low = 0;  // the band's bottom
    double high = 1; // its top
    double step = 1; // between marks; 0 when the bounds are the values' own (too large to round)

    // The scale of values from minimum to maximum: steps of 1, 2, 2.5 or 5 times a power of
    // ten, about two of them over the range. Symmetric scales run from -step to +step, with
    // zero in the middle (the signed accelerations). A flat series gets one step above its
    // value. Values too large to round keep their own bounds.
    static RVGraphScale of(double minimum, double maximum, bool symmetric);

    // A mark's text with the decimals the step needs: "50", "0.5", "-0.25"; zero is "0".
    QString label(double value) const;
};
