#include "forms/Twips.h"

#include "core/Numeric.h"

#include <QWidget>

#include <cmath>

namespace lh::forms {

int twipsToPixels(double twips)
{
    if (!std::isfinite(twips))
        return twips > 0 ? QWIDGETSIZE_MAX : 0;
    const double px = twips / kTwipsPerPixel;
    if (px >= QWIDGETSIZE_MAX)
        return QWIDGETSIZE_MAX;
    if (px <= -QWIDGETSIZE_MAX)
        return -QWIDGETSIZE_MAX;
    return static_cast<int>(roundHalfEven(px));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}   // namespace lh::forms
