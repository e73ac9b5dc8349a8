// The capture and the grabber where the desktop hands out the screen (the
// Screenshot portal of Wayland and XWayland), with a scripted desktop.

#include "pictures/PictureFiles.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form20.h"
#include "tools/FrmMain.h"
#include "tools/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "FakeScreen.h"
#include "Fakes.h"
#include "TestImages.h"

using namespace lh;
using namespace lh::tools;

namespace {

// A desktop that hands out its picture on request, as the portal does.
class DesktopScreen : public test::FakeScreenGrabber {
public:
    bool cancelled = false;       // the user cancels in the desktop's dialog
    bool positionsKnown = true;   // false: native Wayland
    bool grabsThroughDesktop() const override { return true; }
    bool lastGrabCancelled() const override { return cancelled; }
    bool knowsWindowPositions() const override { return positionsKnown; }
    QImage grabDesktop() override
    {
        ++grabs;
        return cancelled ? QImage() : desktop;
    }
};

struct Rig : test::FakeServices {
    DesktopScreen screen;
    test::RecordingNavigator navigator;
    Rig()
    {
        services.screen = &screen;
        const QSize desk = virtualDesktopDeviceRect().size();
        screen.desktop = test::atResolution(test::patterned(desk.width(), desk.height(), 3), kScreenDotsPerMetre);
    }
};

void mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void resetPointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Runs what the windows queued for the event loop (timers due at once).
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

}   // namespace

TEST(CaptureOverTheDesktopsPicture, ViewsCoverEveryScreenWhenArmedAndTheDragCutsThePicture)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    w.mnuFileSnap()->trigger();
    // Armed: the desktop was asked once and its picture covers every screen
    // before any press (a press outside our windows never reaches us).
    ASSERT_TRUE(w.SnapArmed());
    EXPECT_EQ(rig.screen.grabs, 1);
    const QList<QWidget*> views = w.desktopViews();
    ASSERT_EQ(views.size(), QGuiApplication::screens().size());
    for (QWidget* v : views) {
        EXPECT_TRUE(v->isVisible());
        EXPECT_TRUE(v->windowState() & Qt::WindowFullScreen);
        EXPECT_FALSE(v->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
    QWidget* view = views.first();
    const QImage before = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(before, rig.screen.desktop.copy(view->screen()->geometry()));

    // Down-right from (30, 20) to (130, 95): the picture's own pixels.
    mouse(view, QEvent::MouseButtonPress, QPoint(30, 20), Qt::LeftButton);
    EXPECT_EQ(w.state(), Form20::State::Selecting);
    mouse(view, QEvent::MouseMove, QPoint(130, 95), Qt::NoButton);
    const QImage framed = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(framed.pixel(60, 20), rig.screen.desktop.pixel(60, 20) ^ 0x00FFFFFFu) << "no frame on the picture";
    mouse(view, QEvent::MouseButtonRelease, QPoint(130, 95), Qt::LeftButton);

    const QImage expect = rig.screen.desktop.copy(30, 20, 100, 75);
    EXPECT_EQ(w.state(), Form20::State::Captured);
    EXPECT_EQ(w.lastRect(), (SelRect{30, 20, 130, 95}));
    EXPECT_EQ(rig.clipboard.stored, expect);
    EXPECT_EQ(w.picture1()->picture(), expect);
    EXPECT_TRUE(w.mnuFileSave()->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(rig.screen.grabs, 1);
    EXPECT_TRUE(rig.messages.messages.empty());
    flushDeletes();
    EXPECT_TRUE(w.desktopViews().isEmpty());
}

TEST(CaptureOverTheDesktopsPicture, EscapeGivesTheCaptureUp)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    w.mnuFileSnap()->trigger();
    ASSERT_FALSE(w.desktopViews().isEmpty());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w.desktopViews().first(), &esc);
    EXPECT_FALSE(w.SnapArmed());
    EXPECT_EQ(w.state(), Form20::State::Loaded);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    flushDeletes();
    EXPECT_TRUE(w.desktopViews().isEmpty());
    EXPECT_TRUE(rig.clipboard.stored.isNull());
    resetPointer();
}

TEST(CaptureOverTheDesktopsPicture, WhatTheDesktopAnsweredDecidesWhatIsSaidAndWhetherItArms)
{
    struct Case {
        const char* name;
        bool handsOut, cancelled, positionsKnown;
        bool saysSo, arms;
    };
    const Case cases[] = {
        {"the picture", true, false, false, false, true},
        {"cancelled in the desktop's dialog", false, true, false, false, false},
        {"refused, own windows placed (XWayland)", false, false, true, true, true},
        {"refused, nothing placed (Wayland)", false, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.screen.cancelled = c.cancelled;
        rig.screen.positionsKnown = c.positionsKnown;
        if (!c.handsOut)
            rig.screen.desktop = QImage();
        Form20 w(rig.services, rig.navigator, nullptr);
        w.show();
        w.mnuFileSnap()->trigger();
        ASSERT_EQ(rig.messages.messages.size(), c.saysSo ? 1u : 0u);
        if (c.saysSo) {
            EXPECT_TRUE(rig.messages.messages[0].text.contains(QStringLiteral("桌面没有交出屏幕图像")));
            EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));
        }
        EXPECT_EQ(w.SnapArmed(), c.arms);
        EXPECT_EQ(w.desktopViews().isEmpty(), !c.arms);
        if (c.arms && !c.handsOut) {
            // The program's own windows where they stand: the capture window
            // itself, not stacked in the corner.
            QWidget* view = w.desktopViews().first();
            const QImage shown = view->grab().toImage();
            const QPoint inside = w.mapToGlobal(QPoint(w.width() / 2, w.height() / 2));
            EXPECT_EQ(shown.pixelColor(inside), w.grab().toImage().pixelColor(w.width() / 2, w.height() / 2));
        }
        resetPointer();
    }
}

TEST(GrabberOnWayland, SaysOnceWhatItCannotDoAndOffersTheRegionCapture)
{
    for (const bool agrees : {true, false}) {
        SCOPED_TRACE(agrees);
        Rig rig;
        rig.screen.positionsKnown = false;
        rig.messages.answers = {agrees};
        FrmMain grabber(rig.services, rig.navigator);
        grabber.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.messages.messages.empty(); }, 5000));
        ASSERT_EQ(rig.messages.messages.size(), 1u);
        const auto& m = rig.messages.messages[0];
        EXPECT_TRUE(m.question);
        EXPECT_EQ(m.byDefault, MessageBoxes::Default::Yes);   // Enter opens the capture
        EXPECT_EQ(m.title, QStringLiteral("蓝禾提示"));
        EXPECT_TRUE(m.text.contains(QStringLiteral("抓图器抓不到窗口")));
        EXPECT_EQ(rig.navigator.captureOwners.size(), agrees ? 1u : 0u);

        // Shown again: said once is enough. A press on the handle offers
        // the capture again instead of starting a grab that follows nothing.
        grabber.hide();
        grabber.show();
        settle();
        EXPECT_EQ(rig.messages.messages.size(), 1u);
        grabber.picSnap_MouseDown(Qt::LeftButton);
        EXPECT_FALSE(grabber.grabbing());
        EXPECT_EQ(rig.messages.messages.size(), 2u);
    }
}

TEST(GrabberOnWayland, WhereWindowsAreFoundNothingIsOffered)
{
    Rig rig;   // XWayland: the portal's picture, windows placed by the X server
    FrmMain grabber(rig.services, rig.navigator);
    grabber.show();
    settle();
    EXPECT_TRUE(rig.messages.messages.empty());
}
