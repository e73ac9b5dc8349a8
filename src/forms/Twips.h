#pragma once
// Window lengths are twips: 1440 per inch, 15 per pixel on the 96-dpi screen
// the layouts are drawn for. This is the one rule that turns them into pixels.

#include "core/Twips.h"

#include <QRect>

namespace lh::forms {

using lh::kTwipsPerPixel;

// Twips to whole pixels, halves to the even neighbour (with 15 twips a pixel
// no length falls on a half); clamped to what a widget can be.
int twipsToPixels(double twips);

// A rectangle whose left, top, width and height are each converted on their
// own, so a 285-twip button is 19 pixels high wherever it lies.
QRect twipsRect(int left, int top, int width, int height);

}   // namespace lh::forms
