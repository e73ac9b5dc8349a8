#include "platform/WindowFinder.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace lh {

namespace {

template <class T>
struct Reply {
    T* p = nullptr;
    explicit Reply(T* reply) : p(reply) {}
    ~Reply() { std::free(p); }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

class X11WindowFinder final : public WindowFinder {
public:
    explicit X11WindowFinder(xcb_connection_t* c) : c_(c) {}

    bool seesForeignWindows() const override { return true; }

    std::optional<FoundWindow> windowAt(QPoint point, const std::vector<std::uint64_t>& ignore) override
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        if (!screen)
            return std::nullopt;
        xcb_window_t current = screen->root;
        QPoint local = point;   // the point in the current window's coordinates
        for (int depth = 0; depth < 64; ++depth) {
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, current), nullptr));
            if (!tree)
                break;
            const int n = xcb_query_tree_children_length(tree.p);
            const xcb_window_t* children = xcb_query_tree_children(tree.p);
            std::vector<xcb_get_window_attributes_cookie_t> attributes(static_cast<std::size_t>(n));
            std::vector<xcb_get_geometry_cookie_t> geometries(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i) {
                attributes[std::size_t(i)] = xcb_get_window_attributes(c_, children[i]);
                geometries[std::size_t(i)] = xcb_get_geometry(c_, children[i]);
            }
            xcb_window_t next = XCB_WINDOW_NONE;
            QPoint nextLocal;
            // Children come bottom to top: the last one that holds the point is on top.
            for (int i = n - 1; i >= 0; --i) {
                Reply<xcb_get_window_attributes_reply_t> a(
                    xcb_get_window_attributes_reply(c_, attributes[std::size_t(i)], nullptr));
                Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c_, geometries[std::size_t(i)], nullptr));
                if (next != XCB_WINDOW_NONE || !a || !g)
                    continue;
                if (a->map_state != XCB_MAP_STATE_VIEWABLE || a->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
                    continue;
                if (std::find(ignore.begin(), ignore.end(), std::uint64_t(children[i])) != ignore.end())
                    continue;
                const QRect outer(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
                if (!outer.contains(local))
                    continue;
                next = children[i];
                nextLocal = local - QPoint(g->x + g->border_width, g->y + g->border_width);
            }
            if (next == XCB_WINDOW_NONE)
                break;
            current = next;
            local = nextLocal;
        }
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, current), nullptr));
        Reply<xcb_translate_coordinates_reply_t> at(
            xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, current, screen->root, 0, 0), nullptr));
        if (!g || !at)
            return std::nullopt;
        return FoundWindow{current, QRect(at->dst_x, at->dst_y, g->width, g->height)};
    }

private:
    xcb_connection_t* c_;
};

class BlindWindowFinder final : public WindowFinder {
public:
    bool seesForeignWindows() const override { return false; }
    std::optional<FoundWindow> windowAt(QPoint, const std::vector<std::uint64_t>&) override { return std::nullopt; }
};

}   // namespace

std::unique_ptr<WindowFinder> makeWindowFinder(const QString& platformName)
{
    if (platformName == QLatin1String("xcb") && qGuiApp) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            if (xcb_connection_t* c = x11->connection())
                return std::make_unique<X11WindowFinder>(c);
    }
    return std::make_unique<BlindWindowFinder>();
}

}   // namespace lh
