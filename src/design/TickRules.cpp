#include "design/TickRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lh::design {

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
        out = mant
              + QStringLiteral("E%1%2")
                    .arg(QChar(exponent < 0 ? u'-' : u'+'))
                    .arg(std::abs(exponent), 2, 10, QChar(u'0'));
    }
    return out;
}

}   // namespace lh::design
