#include "core/Numeric.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace lh {

std::int64_t roundHalfEven(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
        throw StepFailure("number out of range");
    // std::nearbyint honours the current rounding mode, which is
    // round-to-nearest-even unless someone changed it; be explicit.
    double r = std::floor(value);
    const double diff = value - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return static_cast<std::int64_t>(r);
}

std::int16_t toInt16(double value)
{
    const std::int64_t r = roundHalfEven(value);
    if (r < std::numeric_limits<std::int16_t>::min() || r > std::numeric_limits<std::int16_t>::max())
        throw StepFailure("overflow: 16-bit");
    return static_cast<std::int16_t>(r);
}

std::int32_t toInt32(double value)
{
    const std::int64_t r = roundHalfEven(value);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        throw StepFailure("overflow: 32-bit");
    return static_cast<std::int32_t>(r);
}

double parseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw StepFailure("type mismatch: empty text");
    // Plain decimal notation only (sign, digits, point, exponent); no hex,
    // no group separators, no "inf"/"nan".
    for (QChar c : t) {
        const char16_t u = c.unicode();
        const bool ok = (u >= '0' && u <= '9') || u == '.' || u == '+' || u == '-' || u == 'e' || u == 'E';
        if (!ok)
            throw StepFailure("type mismatch: not a number");
    }
    bool ok = false;
    const double v = t.toDouble(&ok);   // QString::toDouble is locale-independent (C locale)
    if (!ok || !std::isfinite(v))
        throw StepFailure("type mismatch: not a number");
    return v;
}

}   // namespace lh
