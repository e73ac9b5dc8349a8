// Which grabber fits which display server, and what counts as a grab of no use.

#include "platform/ScreenGrabbers.h"

#include <gtest/gtest.h>

namespace lh {
namespace {

TEST(ChooseScreenGrabber, X11DirectlyWaylandAndXWaylandThroughThePortal)
{
    struct Case {
        const char* name;
        DisplayServer server;
        GrabberKind expected;
    };
    const Case cases[] = {
        {"a plain X server", {"xcb", false, {"HDMI-1", "eDP-1"}}, GrabberKind::X11},
        {"Xvfb", {"xcb", false, {":99.0"}}, GrabberKind::X11},
        {"XWayland by its extension", {"xcb", true, {"HDMI-1"}}, GrabberKind::Portal},
        {"XWayland by its outputs", {"xcb", false, {"XWAYLAND0"}}, GrabberKind::Portal},
        {"XWayland's second output", {"xcb", false, {"DP-2", "XWAYLAND1"}}, GrabberKind::Portal},
        {"an output merely mentioning it", {"xcb", false, {"MY-XWAYLAND"}}, GrabberKind::X11},
        {"native Wayland", {"wayland", false, {"HEADLESS-1"}}, GrabberKind::Portal},
        {"Wayland with EGL", {"wayland-egl", false, {}}, GrabberKind::Portal},
        {"offscreen", {"offscreen", false, {"offscreen"}}, GrabberKind::None},
        {"minimal", {"minimal", false, {}}, GrabberKind::None},
        {"XWAYLAND outputs seen by another platform", {"offscreen", true, {"XWAYLAND0"}}, GrabberKind::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseScreenGrabber(c.server), c.expected) << c.name;
}

TEST(GrabIsUnusable, OnlyANullOrAllBlackPicture)
{
    QImage black(8, 6, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage onePixel = black;
    onePixel.setPixel(7, 5, qRgb(0, 0, 1));
    QImage white = black;
    white.fill(Qt::white);
    QImage argbBlack(4, 4, QImage::Format_ARGB32);
    argbBlack.fill(QColor(0, 0, 0, 0));
    EXPECT_TRUE(grabIsUnusable(QImage()));
    EXPECT_TRUE(grabIsUnusable(black));
    EXPECT_TRUE(grabIsUnusable(argbBlack));
    EXPECT_FALSE(grabIsUnusable(onePixel));
    EXPECT_FALSE(grabIsUnusable(white));
}

TEST(PortalScreenGrabber, TellsACancelFromARefusal)
{
    struct Case {
        PortalOutcome outcome;
        bool picture;
        bool cancelled;
    };
    const Case cases[] = {
        {PortalOutcome::Picture, true, false},   {PortalOutcome::Cancelled, false, true},
        {PortalOutcome::Refused, false, false},  {PortalOutcome::NoService, false, false},
        {PortalOutcome::NoAnswer, false, false}, {PortalOutcome::Unreadable, false, false},
    };
    QImage screen(5, 5, QImage::Format_RGB32);
    screen.fill(Qt::green);
    for (const Case& c : cases) {
        PortalScreenGrabber grabber([&] { return PortalShot{c.outcome, c.picture ? screen : QImage()}; }, true);
        EXPECT_TRUE(grabber.grabsThroughDesktop());
        EXPECT_EQ(grabber.grabDesktop().isNull(), !c.picture) << int(c.outcome);
        EXPECT_EQ(grabber.lastGrabCancelled(), c.cancelled) << int(c.outcome);
    }
}

}   // namespace
}   // namespace lh
