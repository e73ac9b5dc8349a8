#pragma once
// The window grabber's arithmetic, kept out of the window: the rectangle of
// a found window clamped to the screen, and the layout of the viewport and
// its scroll bars (all lengths in twips, as the window keeps them).

#include <cstdint>
#include <optional>

namespace lh::tools {

// A rectangle by its edges, screen pixels; right and bottom lie just outside.
struct EdgeRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    friend bool operator==(const EdgeRect&, const EdgeRect&) = default;
};

// A negative left or top becomes 0; a right or bottom edge beyond the screen
// becomes the screen's width or height.
EdgeRect clampToScreen(EdgeRect r, int screenWidthPixels, int screenHeightPixels);

// One scroll bar after a layout. Hidden when the viewport is larger than the
// picture along its side; shown otherwise at value 0.
struct ScrollSetup {
    bool visible = false;
    int value = 0;
    // Unset when the maximum falls outside the 16-bit range the bar holds:
    // the bar keeps its previous maximum.
    std::optional<int> maximum;
    int largeStep = 0;
    int smallStep = 0;
};

// viewTwips: the viewport's length; pictureTwips: the picture's.
ScrollSetup scrollBarFor(double viewTwips, double pictureTwips, int twipsPerPixel);

// The whole layout of the grabber's client area.
struct GrabberLayout {
    // The viewport picScroll; unset where its length would be negative (the
    // window is too small): it keeps its length.
    std::optional<int> scrollWidth, scrollHeight;
    int hScrollTop = 0, hScrollWidth = 0;     // HScroll1, under the viewport
    int vScrollLeft = 0, vScrollHeight = 0;   // VScroll1, right of it
    ScrollSetup horizontal, vertical;
};

// clientWidth/Height: the window's client area; scrollLeft: the viewport's
// left; currentScroll*: its current size; picture*: picBmp's size.
GrabberLayout layoutGrabber(int clientWidth, int clientHeight, int scrollLeft, int currentScrollWidth,
                            int currentScrollHeight, int pictureWidth, int pictureHeight, int twipsPerPixel);

}   // namespace lh::tools
