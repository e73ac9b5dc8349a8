// The window grabber on a real X display: another program's window (an
// ImageMagick viewer showing a known picture) is marked while the pointer,
// moved from outside with xdotool, lies over it, and is grabbed pixel for
// pixel; then the same under a window manager (openbox) with the grabber
// minimized while the button is held.

#include "forms/Controls.h"
#include "platform/ScreenGrabbers.h"
#include "platform/WindowFinder.h"
#include "platform/WindowPlacement.h"
#include "tools/FrmMain.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "TestImages.h"
#include "Xdotool.h"

using namespace lh;
using namespace lh::tools;
using test::managedWindowNamed;
using test::xdotool;

namespace {

using lh::test::patterned;

// The place of a window named `title` on the screen, from xdotool; empty when not there.
QRect windowNamed(const QString& title)
{
    const QString id = test::xdotoolOutput({"search", "--onlyvisible", "--name", title}).split('\n').value(0).trimmed();
    if (id.isEmpty())
        return {};
    QRect r;
    for (const QString& line : test::xdotoolOutput({"getwindowgeometry", "--shell", id}).split('\n')) {
        const QStringList kv = line.split('=');
        if (kv.size() != 2)
            continue;
        const int v = kv[1].toInt();
        if (kv[0] == "X")
            r.moveLeft(v);
        if (kv[0] == "Y")
            r.moveTop(v);
        if (kv[0] == "WIDTH")
            r.setWidth(v);
        if (kv[0] == "HEIGHT")
            r.setHeight(v);
    }
    return r;
}

class GrabberX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(dir.isValid());
        services.files = &files;
        services.messages = &messages;
        services.screen = screen.get();
    }
    void TearDown() override
    {
        xdotool({"mouseup", "1"});
        grabber.reset();
        for (QProcess* p : {&viewer, &windowManager}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
            p->waitForFinished(3000);
            // The display as it was found: no window manager runs on it.
            if (p == &windowManager) {
                EXPECT_TRUE(QTest::qWaitFor([] { return !windowManagerPresent(); }, 10000))
                    << "the window manager is still there";
            }
        }
    }

    // The known picture in another program's window; its place on the screen.
    QRect showPictureElsewhere(QPoint at)
    {
        const QString file = dir.filePath(QStringLiteral("target.png"));
        EXPECT_TRUE(picture.save(file));
        viewer.start("display",
                     {"-geometry", QStringLiteral("+%1+%2").arg(at.x()).arg(at.y()), "-title", "lh-grab-target", file});
        EXPECT_TRUE(viewer.waitForStarted(5000));
        return pictureOnScreen();
    }

    // Where the viewer shows the picture, once it is up and shows it inside its border.
    QRect pictureOnScreen()
    {
        const std::unique_ptr<WindowFinder> finder = makeWindowFinder(QGuiApplication::platformName());
        const QRect desk = virtualDesktopDeviceRect();
        QRect where, outer;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                outer = windowNamed(QStringLiteral("lh-grab-target"));
                if (outer.isEmpty())
                    return false;
                const std::optional<FoundWindow> f = finder->windowAt(outer.intersected(desk).center(), {});
                where = f ? f->rect : QRect();
                const QRect visible = where.intersected(desk);
                return where.size() == picture.size()
                       && screen->grabDesktop().copy(visible).convertToFormat(QImage::Format_RGB32)
                              == picture.copy(visible.translated(-where.topLeft()));
            },
            15000))
            << "viewer at " << where.x() << "," << where.y() << " " << where.width() << "x" << where.height()
            << "; its window named at " << outer.x() << "," << outer.y() << " " << outer.width() << "x"
            << outer.height() << "; viewer running: " << (viewer.state() == QProcess::Running)
            << "; it said: " << viewer.readAllStandardError().toStdString();
        return where;
    }

    void openGrabber(bool minimize)
    {
        grabber = std::make_unique<FrmMain>(services, navigator);
        grabber->chk()->setChecked(minimize);
        grabber->move(60, 60);
        grabber->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grabber.get()));
        QTest::qWait(200);
    }

    // Press on the handle, move over `over`, wait for the frame, release.
    void dragTo(QPoint over, const QRect& expectFound, QPoint pictureAt)
    {
        const QPoint handle = grabber->picSnap()->mapToGlobal(grabber->picSnap()->rect().center());
        ASSERT_TRUE(xdotool({"mousemove", QString::number(handle.x()), QString::number(handle.y()), "mousedown", "1"}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return grabber->grabbing(); }, 5000));
        ASSERT_TRUE(xdotool({"mousemove", QString::number(over.x()), QString::number(over.y())}));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return grabber->found()
                       && QRect(grabber->found()->left, grabber->found()->top, grabber->found()->width(),
                                grabber->found()->height())
                              == expectFound;
            },
            5000));
        // The frame on the real screen: the top strip shows the picture
        // inverted, the inside is untouched.
        const QImage shown = picture.copy(expectFound.translated(-pictureAt));
        QImage inverted = shown.copy(0, 0, shown.width(), 3);
        inverted.invertPixels();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QImage now = screen->grabDesktop().convertToFormat(QImage::Format_RGB32);
                return now.copy(expectFound.x(), expectFound.y(), expectFound.width(), 3) == inverted
                       && now.copy(expectFound.adjusted(3, 3, -3, -3))
                              == shown.copy(3, 3, shown.width() - 6, shown.height() - 6);
            },
            3000));
        ASSERT_TRUE(xdotool({"mouseup", "1"}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return grabber->grabs() == 1; }, 5000));
    }

    QTemporaryDir dir;
    QImage picture = patterned(240, 180);
    test::FakeFileDialogs files;
    test::RecordingMessageBoxes messages;
    test::RecordingNavigator navigator;
    std::unique_ptr<ScreenGrabber> screen = makeScreenGrabber(QGuiApplication::platformName());
    PlatformServices services;
    std::unique_ptr<FrmMain> grabber;
    QProcess viewer;
    QProcess windowManager;
};

}   // namespace

TEST_F(GrabberX11, GrabsExactlyThePixelsOfAnotherProgramsWindow)
{
    const QRect where = showPictureElsewhere(QPoint(700, 300));
    openGrabber(false);
    dragTo(where.center(), where, where.topLeft());
    EXPECT_EQ(grabber->picBmp()->picture().convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_EQ(grabber->picBmp()->pos(), QPoint(0, 0));
    // The frame is gone from the screen.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return screen->grabDesktop().copy(where).convertToFormat(QImage::Format_RGB32) == picture; }, 2000));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(GrabberX11, AWindowPartlyOffTheScreenIsGrabbedWithinTheScreen)
{
    const QRect desk = virtualDesktopDeviceRect();
    const QRect where = showPictureElsewhere(QPoint(desk.width() - 100, desk.height() - 80));
    const QRect visible = where.intersected(desk);
    ASSERT_LT(visible.width(), where.width());
    ASSERT_LT(visible.height(), where.height());
    openGrabber(false);
    dragTo(visible.center(), visible, where.topLeft());
    EXPECT_EQ(grabber->picBmp()->picture().convertToFormat(QImage::Format_RGB32),
              picture.copy(visible.translated(-where.topLeft())));
}

TEST_F(GrabberX11, UnderAWindowManagerTheGrabberHidesWhileHeldAndComesBack)
{
    ASSERT_FALSE(windowManagerPresent()) << "another window manager runs on this display";
    // The viewer is up before the manager: openbox can miss a window that
    // asks to be shown while it is still starting (it then stays unmapped).
    // Windows already there it takes over as it starts.
    showPictureElsewhere(QPoint(700, 300));
    windowManager.start("openbox", {"--sm-disable"});
    ASSERT_TRUE(windowManager.waitForStarted(5000)) << "openbox is needed (scripts/setup.sh installs it)";
    ASSERT_TRUE(QTest::qWaitFor([] { return windowManagerPresent(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([] { return managedWindowNamed(QStringLiteral("lh-grab-target")); }, 10000))
        << "the window manager did not take the viewer's window";
    // In the manager's frame the picture has moved.
    const QRect where = pictureOnScreen();
    openGrabber(true);
    const QPoint handle = grabber->picSnap()->mapToGlobal(grabber->picSnap()->rect().center());
    ASSERT_TRUE(xdotool({"mousemove", QString::number(handle.x()), QString::number(handle.y()), "mousedown", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grabber->grabbing(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grabber->isMinimized(); }, 5000));
    ASSERT_TRUE(xdotool({"mousemove", QString::number(where.center().x()), QString::number(where.center().y())}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return grabber->found() && grabber->found()->width() == where.width()
                   && grabber->found()->left == where.left();
        },
        5000));
    // The pointer is still held though the grabber is minimized: the release comes back to it.
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grabber->grabs() == 1; }, 5000));
    EXPECT_EQ(grabber->picBmp()->picture().convertToFormat(QImage::Format_RGB32), picture);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !grabber->isMinimized() && grabber->isVisible(); }, 5000));
}

TEST_F(GrabberX11, AManagerGoneIsGoneThoughItLeftItsMarkOnTheRootWindow)
{
    ASSERT_FALSE(windowManagerPresent());
    // A manager killed before it could clean up leaves the root's property
    // naming a window that no longer exists.
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-f"),
                                          QStringLiteral("_NET_SUPPORTING_WM_CHECK"), QStringLiteral("32x"),
                                          QStringLiteral("-set"), QStringLiteral("_NET_SUPPORTING_WM_CHECK"),
                                          QStringLiteral("0x7ffffff")});
    ASSERT_TRUE(xprop.waitForFinished(10000));
    ASSERT_EQ(xprop.exitCode(), 0) << xprop.readAllStandardError().toStdString();
    EXPECT_FALSE(windowManagerPresent());
    QProcess remove;
    remove.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-remove"),
                                           QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    ASSERT_TRUE(remove.waitForFinished(10000));
}
