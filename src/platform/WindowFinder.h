#pragma once
// Finding the window under a point of the screen. On X11 every program's
// windows are seen (the deepest X window at the point); where the platform
// does not show other programs' windows (Wayland, offscreen) the finder sees
// none and callers use the program's own windows.

#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lh {

struct FoundWindow {
    std::uint64_t id = 0;
    QRect rect;   // screen pixels of the root window
};

class WindowFinder {
public:
    virtual ~WindowFinder() = default;
    // True when other programs' windows can be found.
    virtual bool seesForeignWindows() const = 0;
    // The deepest visible window at a point in screen pixels, leaving out the
    // windows in `ignore` and everything inside them; nullopt when there is none.
    virtual std::optional<FoundWindow> windowAt(QPoint point, const std::vector<std::uint64_t>& ignore) = 0;
};

// "xcb" gets the X11 finder (when the connection is there); anything else
// a finder that sees nothing.
std::unique_ptr<WindowFinder> makeWindowFinder(const QString& platformName);

}   // namespace lh
