#pragma once
// The main window's control tables and the items of its greeting lists.

#include "forms/FormToolkit.h"

#include <QStringList>

#include <span>

namespace lh::photo {

// The window's own controls, in the order they stack (later rows lie above).
std::span<const forms::Row> form1Controls();
// The photo panel Picture4's children, in its own coordinates.
std::span<const forms::Row> photoPanelControls();
// Boxes on the drawing surface, in its inner coordinates.
std::span<const forms::Row> surfaceControls();

// Items of the centre ring, lower arc, quick text and radius lists.
QStringList centreRingItems();
QStringList lowerArcItems();
QStringList quickTextItems();
QStringList radiusItems();

}   // namespace lh::photo
