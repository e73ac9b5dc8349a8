#pragma once
// The wallpaper maker's control tables.

#include "forms/FormToolkit.h"

#include <span>

namespace lh::tools {

// The toolbar strip and the two picture boxes, client coordinates (twips).
std::span<const forms::Row> form30WindowRows();
// The toolbar's buttons, text boxes and memory hint, inside the strip.
std::span<const forms::Row> form30ToolbarRows();

}   // namespace lh::tools
