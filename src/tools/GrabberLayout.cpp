#include "tools/GrabberLayout.h"

#include "core/Numeric.h"

#include <cmath>
#include <limits>

namespace lh::tools {

EdgeRect clampToScreen(EdgeRect r, int screenWidthPixels, int screenHeightPixels)
{
    if (r.left < 0)
        r.left = 0;
    if (r.top < 0)
        r.top = 0;
    if (r.right > screenWidthPixels)
        r.right = screenWidthPixels;
    if (r.bottom > screenHeightPixels)
        r.bottom = screenHeightPixels;
    return r;
}

ScrollSetup scrollBarFor(double viewTwips, double pictureTwips, int twipsPerPixel)
{
    ScrollSetup s;
    if (viewTwips > pictureTwips)
        return s;
    s.visible = true;
    s.value = 0;
    const double maximum = pictureTwips - viewTwips + 60;
    if (std::isfinite(maximum) && maximum >= std::numeric_limits<std::int16_t>::min()
        && maximum <= std::numeric_limits<std::int16_t>::max()) {
        try {
            s.maximum = toInt16(maximum);
        } catch (const StepFailure&) {
        }
    }
    s.smallStep = twipsPerPixel;
    std::int64_t large = 0;
    try {
        large = roundHalfEven(viewTwips) / 3;
    } catch (const StepFailure&) {
    }
    // The step is a 16-bit value too; out of range it falls back like zero.
    s.largeStep = large > 0 && large <= std::numeric_limits<std::int16_t>::max() ? int(large) : s.smallStep;
    return s;
}

GrabberLayout layoutGrabber(int clientWidth, int clientHeight, int scrollLeft, int currentScrollWidth,
                            int currentScrollHeight, int pictureWidth, int pictureHeight, int twipsPerPixel)
{
    GrabberLayout l;
    const int w = clientWidth - 1845;
    const int h = clientHeight - 270;
    if (w >= 0)
        l.scrollWidth = w;
    if (h >= 0)
        l.scrollHeight = h;
    const int width = l.scrollWidth.value_or(currentScrollWidth);
    const int height = l.scrollHeight.value_or(currentScrollHeight);
    l.hScrollTop = height;
    l.hScrollWidth = width;
    l.vScrollLeft = scrollLeft + width;
    l.vScrollHeight = height;
    l.horizontal = scrollBarFor(width, pictureWidth, twipsPerPixel);
    l.vertical = scrollBarFor(height, pictureHeight, twipsPerPixel);
    return l;
}

}   // namespace lh::tools
