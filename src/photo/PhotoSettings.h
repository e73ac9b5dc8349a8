#pragma once
// Plain rules of the photo designer's controls: the clock and
// angle captions and the random background. The window only wires them up.

#include "core/Numeric.h"

#include <QRect>
#include <QString>

#include <cstdint>

namespace lh {
class RandomSource;
}   // namespace lh

namespace lh::photo {

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

// Music toggle caption for its state (checked means playing).
QString musicCaption(bool playing);

}   // namespace lh::photo
