#include "platform/Numeric.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
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

QString singleToText(float value)
{
    if (value == 0.0f)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QString::number(static_cast<double>(value));
    char buf[64];
    // Seven significant digits decide the decimal exponent after rounding.
    std::snprintf(buf, sizeof buf, "%.6E", static_cast<double>(value));
    const int exponent = std::atoi(std::strchr(buf, 'E') + 1);
    QString out;
    if (exponent >= -5 && exponent < 7) {
        const int decimals = std::max(0, 6 - exponent);
        std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(value));
        out = QString::fromLatin1(buf);
        if (out.contains(u'.')) {
            while (out.endsWith(u'0'))
                out.chop(1);
            if (out.endsWith(u'.'))
                out.chop(1);
        }
    } else {
        QString mant = QString::fromLatin1(buf, static_cast<int>(std::strchr(buf, 'E') - buf));
        if (mant.contains(u'.')) {
            while (mant.endsWith(u'0'))
                mant.chop(1);
            if (mant.endsWith(u'.'))
                mant.chop(1);
        }
        out = mant + QStringLiteral("E%1%2").arg(QChar(exponent < 0 ? u'-' : u'+')).arg(std::abs(exponent), 2, 10, QChar(u'0'));
    }
    return out;
}

} // namespace lh
