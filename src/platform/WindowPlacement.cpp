#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace lh {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr);
    if (!r)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = r->atom;
    std::free(r);
    return a;
}

}   // namespace

bool windowManagerPresent()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return true;
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    // The window a manager names on the root window names itself in turn
    // while the manager runs; a manager gone may leave the root's property
    // behind, naming a window that no longer exists.
    auto checkWindow = [c, check](xcb_window_t on) -> xcb_window_t {
        xcb_get_property_reply_t* r =
            xcb_get_property_reply(c, xcb_get_property(c, 0, on, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
        xcb_window_t named = XCB_WINDOW_NONE;
        if (r) {
            if (xcb_get_property_value_length(r) >= 4)
                std::memcpy(&named, xcb_get_property_value(r), sizeof named);
            std::free(r);
        }
        return named;
    };
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        const xcb_window_t named = checkWindow(it.data->root);
        if (named != XCB_WINDOW_NONE && checkWindow(named) == named)
            return true;
    }
    return false;
}

void fillScreenIfNobodyMaximizes(QWidget* window)
{
    if (!window || !(window->windowState() & Qt::WindowMaximized) || windowManagerPresent())
        return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window->setGeometry(screen->availableGeometry());
}

void placeIfNobodyPlaces(QWidget* window)
{
    if (!window || window->testAttribute(Qt::WA_Moved) || windowManagerPresent())
        return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(qMax(avail.left(), avail.right() + 1 - size.width()),
                 qMax(avail.top(), avail.bottom() + 1 - size.height()));
}

}   // namespace lh
