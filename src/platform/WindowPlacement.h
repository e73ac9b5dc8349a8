#pragma once
// Placing windows: inside the screen they stand on, beside the window that
// opened them, and where a window manager may be missing (a bare X server).

#include <QList>
#include <QRect>

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

// A window's frame (title bar and borders included) moved as little as needed
// to lie inside `area`. A frame wider or taller than the area starts at its
// left or top edge, so the title bar and the menus stay within reach.
QRect keptInside(const QRect& frame, const QRect& area);

// Which of the screens' areas a window with this frame stands on: the one
// holding its centre, else the one it overlaps most, else the one nearest to
// its centre; -1 when there is none.
int screenOf(const QRect& frame, const QList<QRect>& areas);

// A frame of `size` beside the window `opener`, inside `area`: right of it
// where it fits, else left of it, else on the side with more room (covering
// as little of the opener as the area allows); its top level with the
// opener's.
QRect besideOf(const QRect& opener, const QSize& size, const QRect& area);

// For a window whose place is left to the platform (not moved by the
// program): with no window manager to choose one, it opens beside `opener`
// inside the screen instead of at the screen's top-left corner.
void placeBesideIfNobodyPlaces(QWidget* window, const QWidget* opener);

// Once for the program (later calls do nothing):
// - every window the program shows at a place of its own choosing (or at
//   the platform's place where no window manager places it) is kept inside
//   the available area of the screen it stands on;
// - when a window that has the keyboard focus and was opened by another
//   (a dialog, a message box, a file dialog, a viewer) goes away, the focus
//   goes back to the window that opened it: without a window manager nobody
//   else gives it back, and the keys of that window would reach nothing.
void installWindowKeeper();

}   // namespace lh
