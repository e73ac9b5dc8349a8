#pragma once
// The control table of the category designer windows Form2..Form10 and the
// hidden Form11, with the few differences between them.

#include "forms/FormToolkit.h"

#include <vector>

namespace lh::designer {

// Category 2..10 for Form2..Form10, 11 for the hidden full-recipe window.
std::vector<forms::Row> categoryControls(int category);

// The caption of Form2..Form10 ("蓝禾艺术图案设计 第k大类").
QString categoryCaption(int category);

// The text of the information label Label12.
QString informationText();

// The client size that shows the whole layout (21435 x 12990 twips).
QSize categoryLayoutSize();

}   // namespace lh::designer
