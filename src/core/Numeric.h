#pragma once
// Number helpers shared by the whole program: rounding, checked integer
// conversions, reading texts as numbers and colour values.

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace lh {

// A step of a handler or design tick failed. Handlers that run under
// skip-on-error catch it per step; others let it end the handler.
class StepFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Colour value r + 256*g + 65536*b.
using Rgb = std::uint32_t;
constexpr Rgb kMaxRgb = 0xFFFFFF;

constexpr Rgb rgb(int r, int g, int b)
{
    return static_cast<Rgb>(r) + 256u * static_cast<Rgb>(g) + 65536u * static_cast<Rgb>(b);
}
constexpr int redOf(Rgb c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Throws StepFailure for NaN, infinities and values beyond 64 bits.
std::int64_t roundHalfEven(double value);

// Rounded conversions that fail (StepFailure) when the rounded value does not fit.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// Reads a text as a number: leading and trailing blanks are allowed
// (" 0.34" reads 0.34); anything else that is not a number fails.
double parseNumber(const QString& text);

}   // namespace lh
