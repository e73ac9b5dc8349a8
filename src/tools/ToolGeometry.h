#pragma once
// The arithmetic of the tool windows, kept out of the widgets: twips and
// pixels, the zoom steps and the button rows.

#include "forms/Twips.h"

#include <array>
#include <cstdint>

namespace lh::tools {

using forms::kTwipsPerPixel;
using forms::twipsToPixels;

// The size of the zoomed picture in twips, kept in single precision.
struct ZoomSize {
    float width = 0;
    float height = 0;
};

// A picture of w x h pixels first shows at its own size.
ZoomSize zoomSizeOfPicture(int widthPixels, int heightPixels);
// "放大": each side grows by a quarter.
ZoomSize enlarge(ZoomSize s);
// "缩小": each side shrinks by a quarter.
ZoomSize reduce(ZoomSize s);
// True when the reduced size warrants "不能再缩小了".
bool tooSmall(ZoomSize s);

// Lefts, in twips, of the zoom window's four buttons ("取图", "放大", "缩小",
// "剪裁保存"): one row touching each other, the last one ending 200 twips
// left of the window's outer right edge.
std::array<int, 4> zoomButtonLefts(int outerWidthTwips, const std::array<int, 4>& widthsTwips);

// Left, in twips, of a button of the printing window: 200 twips left of the
// window's outer right edge.
int printButtonLeft(int outerWidthTwips, int widthTwips);

}   // namespace lh::tools
