#include "tools/ToolGeometry.h"

#include "core/Numeric.h"

#include <QWidget>

#include <cmath>

namespace lh::tools {

ZoomSize zoomSizeOfPicture(int widthPixels, int heightPixels)
{
    return {float(double(widthPixels) * kTwipsPerPixel), float(double(heightPixels) * kTwipsPerPixel)};
}

ZoomSize enlarge(ZoomSize s)
{
    s.width = float(double(s.width) + double(s.width) * 0.25);
    s.height = float(double(s.height) + double(s.height) * 0.25);
    return s;
}

ZoomSize reduce(ZoomSize s)
{
    s.width = float(double(s.width) - double(s.width) * 0.25);
    s.height = float(double(s.height) - double(s.height) * 0.25);
    return s;
}

bool tooSmall(ZoomSize s) { return s.width < 50.0f; }

std::array<int, 4> zoomButtonLefts(int outerWidthTwips, const std::array<int, 4>& w)
{
    return {
        outerWidthTwips - (w[0] + w[1] + w[2] + w[3]) - 200,
        outerWidthTwips - (w[1] + w[2] + w[3]) - 200,
        outerWidthTwips - (w[2] + w[3]) - 200,
        outerWidthTwips - w[3] - 200,
    };
}

int printButtonLeft(int outerWidthTwips, int widthTwips) { return outerWidthTwips - widthTwips - 200; }

}   // namespace lh::tools
