#pragma once
// Placing windows where a window manager may be missing (a bare X server).

class QWidget;

namespace lh {

// True when a window manager runs (always assumed outside X11).
bool windowManagerPresent();

// For a window that asked to be maximized: with no window manager to do it,
// the window takes the available area of its screen itself.
void fillScreenIfNobodyMaximizes(QWidget* window);

// For a window whose place is left to the platform (not moved by the program): with no window manager
// to choose one, it goes to the bottom-right corner of its screen instead of
// covering the top-left corner, where the main window stands.
void placeIfNobodyPlaces(QWidget* window);

}   // namespace lh
