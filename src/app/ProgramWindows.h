#pragma once
// Tells the window set how to make each of the program's windows.

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::gallery {
class GalleryStore;
}   // namespace lh::gallery

namespace lh::app {

class WindowSet;

// `services` and `gallery` must outlive the window set.
void installProgramWindows(WindowSet& windows, const PlatformServices& services, gallery::GalleryStore& gallery);

}   // namespace lh::app
