#pragma once
// Tells the window set how to make each of the program's windows.

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::app {

class WindowSet;

// `services` must outlive the window set.
void installProgramWindows(WindowSet& windows, const PlatformServices& services);

}   // namespace lh::app
