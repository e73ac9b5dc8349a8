// Region capture on a real X display with real pointer input from outside
// the program (xdotool), the way a user drags over another window.

#include "pictures/PictureFiles.h"
#include "platform/QtClipboard.h"
#include "platform/ScreenGrabbers.h"
#include "platform/WindowPlacement.h"
#include "tools/Form20.h"
#include "tools/Form40.h"
#include "tools/Lhtdy.h"
#include "tools/PictureBox.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "TestImages.h"
#include "Xdotool.h"

using namespace lh;
using namespace lh::tools;

using test::patterned;

namespace {

class PatternWindow : public QWidget {
public:
    explicit PatternWindow(QImage pic) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), pic_(std::move(pic))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage pic_;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, pic_);
        ++paints;
    }
};

// Counts the releases of one mouse button that reach the program.
class ReleaseCounter : public QObject {
public:
    explicit ReleaseCounter(Qt::MouseButton button) : button_(button) { qApp->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // One count per release, however many widgets it passes on its way.
        if (event->type() == QEvent::MouseButtonRelease && watched->isWindowType()
            && static_cast<QMouseEvent*>(event)->button() == button_)
            ++count;
        return QObject::eventFilter(watched, event);
    }

private:
    Qt::MouseButton button_;
};

// What another program gets from the clipboard as a PNG picture, read while
// this program keeps serving it.
QImage clipboardSeenFromOutside()
{
    QProcess p;
    p.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
    if (!p.waitForStarted(5000))
        return {};
    // The program serves the clipboard while it waits.
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000))
        return {};
    return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

using test::xdotool;

// The scripted services with the real clipboard and screen of the X display.
struct X11Rig : ::testing::Test {
    test::FakeServices fake;
    test::RecordingMessageBoxes& messages = fake.messages;
    PlatformServices& services = fake.services;
    test::RecordingNavigator navigator;
    QtClipboard clipboard;
    std::unique_ptr<ScreenGrabber> screen = makeScreenGrabber(QGuiApplication::platformName());

    QImage desktop() { return screen->grabDesktop().convertToFormat(QImage::Format_RGB32); }
    // True once the screen shows the target window's picture where it lies.
    bool targetShown() { return desktop().copy(target->geometry()) == target->pic_; }
    std::unique_ptr<PatternWindow> target;
    std::unique_ptr<Form20> form;

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        services.clipboard = &clipboard;
        services.screen = screen.get();
        target = std::make_unique<PatternWindow>(patterned(300, 200));
        target->setGeometry(600, 100, 300, 200);
        target->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(target.get()));
        form = std::make_unique<Form20>(services, navigator, nullptr);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        form->move(40, 480);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return targetShown(); }, 10000)) << "the target window never showed";
        const QImage formShown = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_TRUE(QTest::qWaitFor([&] { return desktop().copy(form->geometry()) == formShown; }, 10000))
            << "the capture window never showed";
    }
};

}   // namespace

TEST_F(X11Rig, DragFromBottomRightToTopLeftCopiesTheScreenPixels)
{
    form->mnuFileSnap()->trigger();
    ASSERT_TRUE(form->SnapArmed());
    ASSERT_TRUE(xdotool({"mousemove", "800", "250", "mousedown", "1", "mousemove", "720", "200", "mousemove", "650",
                         "150", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->state() == Form20::State::Captured; }, 10000));

    // Window (600, 100); the rectangle (650, 150)-(800, 250), the anchor pixel excluded.
    const QImage expect = target->pic_.copy(50, 50, 150, 100);
    EXPECT_EQ(form->lastRect(), (SelRect{650, 150, 800, 250}));
    EXPECT_EQ(form->picture1()->picture().convertToFormat(QImage::Format_RGB32), expect);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expect);
    EXPECT_EQ(clipboardSeenFromOutside().convertToFormat(QImage::Format_RGB32), expect);
    EXPECT_TRUE(form->mnuFileSave()->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(X11Rig, WhileTheButtonIsHeldTheScreenShowsTheInvertedFrameOverTheHeldPicture)
{
    const QImage before = desktop();
    form->mnuFileSnap()->trigger();
    ASSERT_TRUE(
        xdotool({"mousemove", "620", "120", "mousedown", "1", "mousemove", "700", "180", "mousemove", "880", "280"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->overlay() && form->overlay()->isVisible(); }, 5000));
    // The program keeps running underneath: the window below changes its picture.
    const QImage old = target->pic_;
    const int paints = target->paints;
    target->pic_.invertPixels();
    target->update();
    ASSERT_TRUE(QTest::qWaitFor([&] { return target->paints > paints; }, 5000));
    // The frame has reached the screen once its top bar shows inverted.
    QImage during;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            during = desktop();
            return during.pixel(700, 120) == (before.pixel(700, 120) ^ 0x00FFFFFFu);
        },
        5000))
        << "no frame on the screen";
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->state() == Form20::State::Captured; }, 10000));

    // Frame of (620, 120)-(880, 280): bars inverted, corners kept, outside untouched.
    for (const QPoint p : {QPoint(700, 120), QPoint(620, 200), QPoint(879, 200), QPoint(700, 279)})
        EXPECT_EQ(during.pixel(p), before.pixel(p) ^ 0x00FFFFFFu) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(620, 120), QPoint(879, 279), QPoint(700, 119), QPoint(880, 200), QPoint(650, 150)})
        EXPECT_EQ(during.pixel(p), before.pixel(p)) << p.x() << "," << p.y();
    // The screen as it was at the press, with no trace of the frame.
    EXPECT_EQ(form->picture1()->picture().convertToFormat(QImage::Format_RGB32), old.copy(20, 20, 260, 160));
    // Once released, the screen shows the program again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return targetShown(); }, 5000)) << "the screen still shows the held picture";
}

TEST_F(X11Rig, RightClickWhileArmedDoesNothingAndAClickAtOnePointGivesAnEmptyPicture)
{
    clipboard.setImage(patterned(8, 8));
    ASSERT_FALSE(clipboardSeenFromOutside().isNull());
    form->mnuFileSnap()->trigger();
    ReleaseCounter rightReleases(Qt::RightButton);
    ASSERT_TRUE(xdotool({"mousemove", "700", "200", "click", "3"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rightReleases.count > 0; }, 5000)) << "the right click never arrived";
    EXPECT_TRUE(form->SnapArmed());
    EXPECT_EQ(form->state(), Form20::State::Armed);
    EXPECT_FALSE(form->mnuFileSave()->isEnabled());

    ASSERT_TRUE(xdotool({"mousemove", "710", "210", "mousedown", "1", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->state() == Form20::State::Captured; }, 10000));
    EXPECT_TRUE(form->picture1()->picture().isNull());
    EXPECT_TRUE(form->mnuFileSave()->isEnabled());
    EXPECT_EQ(form->lastRect(), (SelRect{710, 210, 710, 210}));
    EXPECT_TRUE(clipboardSeenFromOutside().isNull());   // the earlier contents are gone
}

TEST_F(X11Rig, TheRealScreenGrabSeesOtherWindows)
{
    ASSERT_TRUE(screen->canGrabScreen());
    const QImage desk = desktop();
    ASSERT_FALSE(desk.isNull());
    EXPECT_EQ(desk.size(), virtualDesktopDeviceRect().size());
    EXPECT_EQ(desk.copy(600, 100, 300, 200), target->pic_);
}

TEST(BareXServer, ToolWindowsPlaceThemselvesWithoutAWindowManager)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    if (windowManagerPresent())
        GTEST_SKIP() << "a window manager maximizes here";
    test::RecordingNavigator navigator;
    PlatformServices services;
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();

    Form40 zoom(services, navigator, nullptr);
    zoom.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&zoom));
    EXPECT_EQ(zoom.geometry(), avail);
    EXPECT_EQ(zoom.command3()->geometry().right() + 1, avail.width() - 13);   // 200 twips, rounded

    Lhtdy printing(services, navigator, nullptr);
    printing.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&printing));
    EXPECT_EQ(printing.geometry(), avail);
    EXPECT_EQ(printing.command2()->geometry().right() + 1, avail.width() - 13);

    // The capture window does not cover the main window's corner.
    Form20 capture(services, navigator, nullptr);
    capture.setAttribute(Qt::WA_DeleteOnClose, false);
    capture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capture));
    EXPECT_EQ(capture.frameGeometry().bottomRight(), avail.bottomRight());
}
