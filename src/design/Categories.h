#pragma once
// The design categories, one recipe and one designer window each: 1 is the
// photo designer, 2..10 the category windows, 11 the hidden full-recipe window.

namespace lh::design {

inline constexpr int kCategoryCount = 11;

}   // namespace lh::design
