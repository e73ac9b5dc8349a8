#pragma once
// Placing windows where a window manager may be missing (a bare X server).

class QWidget;

namespace lh {

// True when a window manager runs (always assumed outside X11).
bool windowManagerPresent();

// For a window that asked to be maximized: with no window manager to do it,
// the window takes the available area of its screen itself.
void fillScreenIfNobodyMaximizes(QWidget* window);

} // namespace lh
