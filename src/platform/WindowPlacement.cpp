#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
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

QRect keptInside(const QRect& frame, const QRect& area)
{
    if (area.isEmpty())
        return frame;
    auto along = [](int start, int length, int areaStart, int areaLength) {
        if (length >= areaLength)
            return areaStart;
        return std::clamp(start, areaStart, areaStart + areaLength - length);
    };
    return QRect(QPoint(along(frame.left(), frame.width(), area.left(), area.width()),
                        along(frame.top(), frame.height(), area.top(), area.height())),
                 frame.size());
}

int screenOf(const QRect& frame, const QList<QRect>& areas)
{
    const QPoint centre = frame.center();
    for (int i = 0; i < areas.size(); ++i)
        if (areas[i].contains(centre))
            return i;
    int best = -1;
    qint64 bestOverlap = 0;
    for (int i = 0; i < areas.size(); ++i) {
        const QRect common = areas[i].intersected(frame);
        const qint64 overlap = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = i;
        }
    }
    if (best >= 0)
        return best;
    qint64 nearest = 0;
    for (int i = 0; i < areas.size(); ++i) {
        const QRect& a = areas[i];
        const qint64 dx = qint64(std::clamp(centre.x(), a.left(), a.right())) - centre.x();
        const qint64 dy = qint64(std::clamp(centre.y(), a.top(), a.bottom())) - centre.y();
        if (best < 0 || dx * dx + dy * dy < nearest) {
            nearest = dx * dx + dy * dy;
            best = i;
        }
    }
    return best;
}

QRect besideOf(const QRect& opener, const QSize& size, const QRect& area)
{
    const int roomRight = area.right() - opener.right();
    const int roomLeft = opener.left() - area.left();
    int left = opener.right() + 1;
    if (roomRight < size.width() && (roomLeft >= size.width() || roomLeft > roomRight))
        left = opener.left() - size.width();
    return keptInside(QRect(QPoint(left, opener.top()), size), area);
}

namespace {

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return areas;
}

// The window's frame; before a window manager has framed it for the first
// time, its client area with the frame the program's other windows got.
QRect frameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (frame != client)
        return frame;
    QMargins seen;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || !w->isVisible())
            continue;
        const QRect f = w->frameGeometry(), g = w->geometry();
        seen = QMargins(std::max(seen.left(), g.left() - f.left()), std::max(seen.top(), g.top() - f.top()),
                        std::max(seen.right(), f.right() - g.right()),
                        std::max(seen.bottom(), f.bottom() - g.bottom()));
    }
    // A window caught between a move and its frame's news shows its border
    // on one side only: the wider side stands for both, so that a window is
    // kept inside by a pixel too many rather than one too few.
    seen.setRight(std::max(seen.left(), seen.right()));
    // Moved before it was ever made, a window stands with its frame's corner
    // at the place it was moved to.
    if (!window->testAttribute(Qt::WA_WState_Created) && window->testAttribute(Qt::WA_Moved))
        return QRect(window->pos(), client.size().grownBy(seen));
    return client.marginsAdded(seen);
}

// The windows that stand where the program or the platform puts them: not
// the frameless marks and overlays laid over the screen on purpose, nor
// menus and tooltips, nor windows that fill the screen.
bool placedAsAWindow(const QWidget* w)
{
    if (!w->isWindow())
        return false;
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool: break;
    default: return false;
    }
    if (w->windowFlags() & (Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint))
        return false;
    return !(w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

class WindowKeeper final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType() || event->spontaneous())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show)
            keepOnScreen(w);
        else if (event->type() == QEvent::Hide)
            giveFocusBack(w);
        return false;
    }

private:
    static void keepOnScreen(QWidget* w)
    {
        if (!placedAsAWindow(w))
            return;
        // A window manager places the windows the program left to it.
        if (!w->testAttribute(Qt::WA_Moved) && windowManagerPresent())
            return;
        const QList<QRect> areas = availableAreas();
        const QRect frame = frameOf(w);
        const int screen = screenOf(frame, areas);
        if (screen < 0)
            return;
        const QRect inside = keptInside(frame, areas[screen]);
        if (inside != frame)
            w->move(w->pos() + (inside.topLeft() - frame.topLeft()));
    }

    static void giveFocusBack(QWidget* w)
    {
        // Menus, open lists and tooltips that close leave the keys where they were.
        const Qt::WindowType type = w->windowType();
        if (!w->isWindow() || type == Qt::Popup || type == Qt::ToolTip || !w->parentWidget())
            return;
        // Hidden, the window is no longer the active one, though the system
        // has not yet taken the focus from it.
        const bool hadTheKeys = QApplication::activeWindow() == w
                                || (w->windowHandle() && QGuiApplication::focusWindow() == w->windowHandle());
        if (!hadTheKeys)
            return;
        QWidget* opener = w->parentWidget()->window();
        if (opener->isVisible() && !opener->isMinimized())
            opener->activateWindow();
    }
};

}   // namespace

void placeBesideIfNobodyPlaces(QWidget* window, const QWidget* opener)
{
    if (!window || !opener || window->testAttribute(Qt::WA_Moved) || windowManagerPresent())
        return;
    const QRect openerFrame = opener->frameGeometry();
    const QList<QRect> areas = availableAreas();
    const int screen = screenOf(openerFrame, areas);
    if (screen < 0)
        return;
    window->move(besideOf(openerFrame, frameOf(window).size(), areas[screen]).topLeft());
}

void installWindowKeeper()
{
    static QPointer<WindowKeeper> keeper;
    if (!keeper && qApp) {
        keeper = new WindowKeeper(qApp);
        qApp->installEventFilter(keeper);
    }
}

}   // namespace lh
