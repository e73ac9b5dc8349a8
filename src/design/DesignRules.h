#pragma once
// Rules every design follows, whatever draws or shows it.

namespace lh::design {

// The design categories, one recipe and one designer window each: 1 is the
// photo designer, 2..10 the category windows, 11 the hidden full-recipe window.
inline constexpr int kCategoryCount = 11;

// The side of a design's surface in pixels at scale 1 (12855 twips).
inline constexpr int kDesignPixels = 857;

// What exports of designs offer and accept: the scales, the resolutions in
// dots per inch written into the files, the largest batch of new designs.
inline constexpr int kExportScales[] = {1, 2, 4, 8};
inline constexpr int kMinDotsPerInch = 10;
inline constexpr int kMaxDotsPerInch = 4800;
inline constexpr int kMaxBatchCount = 10000;

}   // namespace lh::design
