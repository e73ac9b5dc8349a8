#pragma once
// Lengths on windows and surfaces are twips: 1440 per inch, 20 per point, and
// 15 per pixel on the 96-dpi screen the layouts and designs are made for.

namespace lh {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerPoint = 20;

}   // namespace lh
