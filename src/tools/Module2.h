#pragma once
// Selecting, marking and copying a rectangle of the screen. The screen is a
// held image of the whole virtual desktop in device pixels; rectangles are
// in the same pixels relative to that image's top-left corner.

#include "platform/Services.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <vector>

namespace lh::tools {

// left/top inclusive, right/bottom exclusive.
struct SelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const SelRect&) const = default;
};

void SwapLongs(int32_t& a, int32_t& b);

// Brings the rectangle into the order left <= right, top <= bottom.
void NormalizeRect(SelRect& r);

// The four one-pixel bars of the selection frame (top, left, right, bottom),
// as rectangles of pixels; none for an empty rectangle.
std::vector<QRect> SelectionFrameBars(const SelRect& r);

// The size label, "WxH".
QString SelectionLabelText(const SelRect& r);

// The label's top-left corner for a label of w x h pixels, centred on the
// rectangle with halves rounded to the even neighbour.
QPoint SelectionLabelOrigin(const SelRect& r, int w, int h);

// The font the size label is measured and drawn in.
QFont SelectionLabelFont();

// Draws the frame and label of the rectangle on the image by inversion:
// drawing the same rectangle twice restores the image exactly. Returns the
// pixels that changed (empty when nothing was drawn): the four bars and the
// label's box, so a view repaints only those.
QRegion DrawSelectionFrame(QImage& screen, const SelRect& r);

// Copies the pixels of the rectangle from the held screen (parts outside the
// screen come out black), places the copy on the clipboard and returns it.
// An empty rectangle gives an empty picture and empties the clipboard.
QImage CopyScreenToClipboard(const QImage& screen, int32_t left, int32_t top, int32_t right, int32_t bottom,
                             Clipboard& clipboard);

// One selection from an anchor: every pointer position makes the rectangle
// (anchor, position) normalized, erasing the previous frame and drawing the
// new one on the held screen.
class SelectScreenRegion {
public:
    SelectScreenRegion(QImage& screen, QPoint anchor);
    // Moves the free corner; returns the part of the screen that changed.
    QRegion moveTo(QPoint position);
    // Erases the frame and returns the final normalized rectangle.
    SelRect finish(QPoint position, QRegion* changed = nullptr);
    const SelRect& rect() const { return rect_; }

private:
    QImage& screen_;
    QPoint anchor_;
    SelRect rect_;
    bool done_ = false;
};

}   // namespace lh::tools
