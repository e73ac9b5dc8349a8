#pragma once
// Number rules of the design tick: how a random draw becomes a colour channel
// and how the serial line writes a single-precision value.

#include "core/Numeric.h"

#include <QString>

namespace lh::design {

// One random colour channel from a draw u in [0, 1): round(230 * u), 0..230.
inline int randomChannel(float u) { return static_cast<int>(roundHalfEven(230.0 * static_cast<double>(u))); }

// Writes a single-precision value the way the serial line shows it: at most
// seven significant digits, no leading blank, trailing zeros dropped,
// scientific form ("1.234567E-05") for very small or large magnitudes.
QString singleToText(float value);

}   // namespace lh::design
