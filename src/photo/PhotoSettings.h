#pragma once
// Plain rules of the photo designer's controls: layout units, the clock and
// angle captions and the random background. The window only wires them up.

#include "platform/Numeric.h"

#include <QRect>
#include <QString>

#include <cstdint>

namespace lh {
class RandomSource;
}

namespace lh::photo {

constexpr int kTwipsPerPixel = 15;

// Twips to pixels, halves to even; rectangles keep their own width and height
// (each converted on its own), so a 285-twip button is 19 pixels wherever it lies.
int twipsToPixels(int twips);
QRect twipsRect(int left, int top, int width, int height);

// Elapsed-time captions: at least two digits of whole minutes (not reduced
// modulo 60), two digits of seconds: 3725 -> "62分05秒"; hours: "1小时".
QString elapsedMinutesCaption(std::int32_t seconds);
QString elapsedHoursCaption(std::int32_t seconds);

// Read-out of the quick-text angle: -45 -> "-45度".
QString angleCaption(int degrees);

// The background setting chosen by "随机背景": three draws, red first, as
// the decimal colour value text that the design tick reads.
QString randomBackgroundText(RandomSource& random);

// The background setting chosen by "选色背景".
QString backgroundText(Rgb colour);

// Pause toggle caption for its state (checked means running).
QString pauseCaption(bool running);
// Music toggle caption for its state (checked means playing).
QString musicCaption(bool playing);

// Intervals of the four speed buttons "正常", "快速", "高速", "慢速".
constexpr int kNormalInterval = 3000;
constexpr int kFastInterval = 1000;
constexpr int kTopInterval = 1;
constexpr int kSlowInterval = 6000;

} // namespace lh::photo
