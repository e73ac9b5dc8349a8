#pragma once
// What a window manager sends when the user clicks a window's close box, sent
// to an X window of another process (tests that link X11).

#include <QString>

#include <X11/Xlib.h>

namespace lh::test {

inline void sendCloseRequest(const QString& window)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.toULong();
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window.toULong(), False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

}   // namespace lh::test
