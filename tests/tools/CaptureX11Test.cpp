// Region capture on a real X display with real pointer input from outside
// the program (xdotool), the way a user drags over another window.

#include "engine/PictureFiles.h"
#include "platform/QtClipboard.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form20.h"
#include "tools/Form40.h"
#include "tools/Lhtdy.h"
#include "platform/WindowPlacement.h"
#include "tools/PictureBox.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "XdotoolSupport.h"

using namespace lh;
using namespace lh::tools;

namespace {

// A picture whose every pixel differs from its neighbours.
QImage patterned(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 9) & 0xFF, (y * 13) & 0xFF, ((x + 2 * y) * 5) & 0xFF));
    return img;
}

class PatternWindow : public QWidget {
public:
    explicit PatternWindow(QImage pic)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
        , pic_(std::move(pic))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage pic_;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, pic_);
    }
};

// What another program gets from the clipboard as a PNG picture, read while
// this program keeps serving it.
QImage clipboardSeenFromOutside()
{
    QProcess p;
    p.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
    if (!p.waitForStarted(5000))
        return {};
    while (p.state() != QProcess::NotRunning)
        QTest::qWait(10);
    return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

using test::xdotool;

struct X11Rig : ::testing::Test {
    test::FakeFileDialogs files;
    test::RecordingMessageBoxes messages;
    test::RecordingNavigator navigator;
    QtClipboard clipboard;
    std::unique_ptr<ScreenGrabber> screen = makeScreenGrabber(QGuiApplication::platformName());
    PlatformServices services;
    std::unique_ptr<PatternWindow> target;
    std::unique_ptr<Form20> form;

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        services.files = &files;
        services.messages = &messages;
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
        QTest::qWait(200);   // both windows painted
    }
};

} // namespace

TEST_F(X11Rig, DragFromBottomRightToTopLeftCopiesTheScreenPixels)
{
    form->mnuFileSnap()->trigger();
    ASSERT_TRUE(form->SnapArmed());
    ASSERT_TRUE(xdotool({"mousemove", "800", "250", "mousedown", "1", "mousemove", "720", "200", "mousemove",
                         "650", "150", "mouseup", "1"}));
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
    const QImage before = screen->grabDesktop().convertToFormat(QImage::Format_RGB32);
    form->mnuFileSnap()->trigger();
    ASSERT_TRUE(xdotool({"mousemove", "620", "120", "mousedown", "1", "mousemove", "700", "180", "mousemove",
                         "880", "280"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->overlay() && form->overlay()->isVisible(); }, 5000));
    // The program keeps running underneath: the window below changes its picture.
    const QImage old = target->pic_;
    target->pic_.invertPixels();
    target->update();
    QTest::qWait(300);   // the view and the window have painted
    const QImage during = screen->grabDesktop().convertToFormat(QImage::Format_RGB32);
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
    QTest::qWait(300);
    const QImage after = screen->grabDesktop().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(after.copy(600, 100, 300, 200), target->pic_);
}

TEST_F(X11Rig, RightClickWhileArmedDoesNothingAndAClickAtOnePointGivesAnEmptyPicture)
{
    clipboard.setImage(patterned(8, 8));
    ASSERT_FALSE(clipboardSeenFromOutside().isNull());
    form->mnuFileSnap()->trigger();
    ASSERT_TRUE(xdotool({"mousemove", "700", "200", "click", "3"}));
    QTest::qWait(300);
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
    const QImage desk = screen->grabDesktop().convertToFormat(QImage::Format_RGB32);
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
