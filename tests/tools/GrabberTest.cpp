// The window grabber: the clamp and layout arithmetic as plain functions,
// and the window driven through its handlers with a scripted screen, a
// scripted finder of windows and scripted dialogs.

#include "pictures/PictureFiles.h"
#include "forms/Controls.h"
#include "forms/FormToolkit.h"
#include "forms/SurfaceView.h"
#include "engine/RasterSurface.h"
#include "platform/ScreenGrabbers.h"
#include "tools/FrmMain.h"
#include "tools/GrabberLayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "FakeScreen.h"
#include "Fakes.h"
#include "TestImages.h"

using namespace lh;
using namespace lh::tools;

namespace {

using lh::test::patterned;

}   // namespace

TEST(GrabberClamp, EdgesBeyondTheScreenComeBackToIt)
{
    struct Case {
        EdgeRect in, out;
    };
    const Case cases[] = {
        {{10, 20, 300, 200}, {10, 20, 300, 200}},           {{-40, -7, 300, 200}, {0, 0, 300, 200}},
        {{1500, 900, 1700, 1100}, {1500, 900, 1600, 1000}}, {{-10, -10, 1700, 1100}, {0, 0, 1600, 1000}},
        {{1700, 50, 1800, 80}, {1700, 50, 1600, 80}},   // wholly off to the right: nothing left of it
    };
    for (const Case& c : cases)
        EXPECT_EQ(clampToScreen(c.in, 1600, 1000), c.out) << c.in.left << "," << c.in.top;
}

TEST(GrabberScrollBars, ShownWhereThePictureIsLargerWithSixteenBitMaximumAndSteps)
{
    struct Case {
        double view, picture;
        bool visible;
        std::optional<int> maximum;
        int large;
    };
    const Case cases[] = {
        {5235, 3825, false, std::nullopt, 0},   // the picture fits: no bar
        {5235, 5235, true, 60, 1745},           // as large as the viewport: a bar of 60 twips
        {5235, 15000, true, 9825, 1745},
        {5235, 5235 + 32707, true, 32767, 1745},          // the largest maximum a bar holds
        {5235, 5235 + 32708, true, std::nullopt, 1745},   // beyond: the bar keeps its previous maximum
        {2, 900, true, 958, 15},                          // a large step of 0 takes the small step
        {100000, 200000, true, std::nullopt, 15},         // a large step beyond 16 bits too
    };
    for (const Case& c : cases) {
        const ScrollSetup s = scrollBarFor(c.view, c.picture, 15);
        EXPECT_EQ(s.visible, c.visible) << c.view << " / " << c.picture;
        if (!c.visible)
            continue;
        EXPECT_EQ(s.value, 0);
        EXPECT_EQ(s.maximum, c.maximum) << c.view << " / " << c.picture;
        EXPECT_EQ(s.largeStep, c.large) << c.view << " / " << c.picture;
        EXPECT_EQ(s.smallStep, 15);
    }
}

TEST(GrabberLayout, ViewportAndBarsFollowTheClientArea)
{
    // The design size: the viewport as laid out, the bars along it.
    GrabberLayout l = layoutGrabber(7080, 5190, 1575, 5235, 4920, 3825, 2805, 15);
    EXPECT_EQ(l.scrollWidth, 5235);
    EXPECT_EQ(l.scrollHeight, 4920);
    EXPECT_EQ(l.hScrollTop, 4920);
    EXPECT_EQ(l.hScrollWidth, 5235);
    EXPECT_EQ(l.vScrollLeft, 6810);
    EXPECT_EQ(l.vScrollHeight, 4920);
    EXPECT_FALSE(l.horizontal.visible);
    EXPECT_FALSE(l.vertical.visible);

    // A window too small for the viewport keeps its old size; the bars go by it.
    l = layoutGrabber(1500, 200, 1575, 5235, 4920, 9000, 9000, 15);
    EXPECT_FALSE(l.scrollWidth);
    EXPECT_FALSE(l.scrollHeight);
    EXPECT_EQ(l.hScrollTop, 4920);
    EXPECT_EQ(l.vScrollLeft, 6810);
    EXPECT_TRUE(l.horizontal.visible);
    EXPECT_EQ(l.horizontal.maximum, 9000 - 5235 + 60);
}

namespace {

// Finds what the test says at any point.
class ScriptedFinder : public WindowFinder {
public:
    std::optional<QRect> window;
    bool foreign = true;
    int asks = 0;
    bool seesForeignWindows() const override { return foreign; }
    std::optional<FoundWindow> windowAt(QPoint, const std::vector<std::uint64_t>&) override
    {
        ++asks;
        if (!window)
            return std::nullopt;
        return FoundWindow{42, *window};
    }
};

struct GrabberRig : ::testing::Test {
    test::FakeServices fakes;
    test::FakeScreenGrabber screen;
    test::RecordingNavigator navigator;
    ScriptedFinder* finder = nullptr;
    std::unique_ptr<FrmMain> w;
    QPoint pointer;
    QTemporaryDir dir;

    void SetUp() override
    {
        const QSize desk = virtualDesktopDeviceRect().size();
        screen.desktop = patterned(desk.width(), desk.height(), 5);
        fakes.services.screen = &screen;
        w = std::make_unique<FrmMain>(fakes.services, navigator);
        auto f = std::make_unique<ScriptedFinder>();
        finder = f.get();
        w->setWindowFinder(std::move(f));
        w->setPointerPosition([this] { return pointer; });
        w->show();
    }

    // A whole grab: press, one tick with the frame shown, release, copy.
    void grab(const std::optional<QRect>& target)
    {
        finder->window = target;
        const int before = w->grabs();
        w->picSnap_MouseDown(Qt::LeftButton);
        ASSERT_TRUE(w->grabbing());
        w->tmr_Timer();
        if (w->found()) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return frameShown(); }, 2000));
        }
        w->picSnap_MouseUp(Qt::LeftButton);
        EXPECT_FALSE(frameShown());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w->finishing(); }, 2000));
        (void)before;
    }
    bool frameShown() const
    {
        for (QWidget* s : w->frameWindows())
            if (s->isVisible())
                return true;
        return false;
    }
};

}   // namespace

TEST_F(GrabberRig, OpensCentredWithItsControlsAndNoBars)
{
    EXPECT_EQ(w->objectName(), QStringLiteral("frmMain"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("蓝禾抓图器"));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(0x00, 0x40, 0x40));
    EXPECT_EQ(w->size(), QSize(472, 346));
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(w->geometry().center().x() - avail.center().x()), 1);
    EXPECT_LE(std::abs(w->geometry().center().y() - avail.center().y()), 1);

    EXPECT_EQ(w->picSnap()->pos(), QPoint(26, 94));
    EXPECT_EQ(w->picScroll()->geometry(), QRect(105, 0, 349, 328));
    EXPECT_EQ(w->picBmp()->parentWidget(), w->picScroll());
    EXPECT_TRUE(w->chk()->isChecked());
    EXPECT_EQ(w->chk()->text(), QStringLiteral("抓图时最小化窗体(&M)"));
    EXPECT_EQ(forms::control<QPushButton>(w.get(), "cmdSave")->text(), QStringLiteral("保存图片(&S)"));
    EXPECT_EQ(forms::control<QLabel>(w.get(), "Label1")->text(),
              QStringLiteral("左键点击图片，然后按住不放拖动鼠标到需要捕获的窗口。"));
    EXPECT_EQ(w->tmr()->interval(), 400);
    EXPECT_FALSE(w->tmr()->isActive());
    EXPECT_FALSE(w->hScroll()->isVisible());
    EXPECT_FALSE(w->vScroll()->isVisible());
    EXPECT_EQ(w->hScroll()->geometry(), QRect(105, 328, 349, 18));
    EXPECT_EQ(w->vScroll()->geometry(), QRect(454, 0, 18, 328));
}

TEST_F(GrabberRig, AReleaseBeforeTheFirstTickGrabsNothingAndOtherButtonsDoNothing)
{
    w->picSnap_MouseDown(Qt::RightButton);
    EXPECT_FALSE(w->grabbing());
    EXPECT_FALSE(w->tmr()->isActive());

    finder->window = QRect(10, 10, 50, 50);
    w->picSnap_MouseDown(Qt::LeftButton);
    EXPECT_TRUE(w->isMinimized());
    EXPECT_TRUE(w->tmr()->isActive());
    w->picSnap_MouseUp(Qt::LeftButton);
    EXPECT_FALSE(w->tmr()->isActive());
    QTest::qWait(150);
    EXPECT_EQ(w->grabs(), 0);
    EXPECT_TRUE(w->picBmp()->picture().isNull());
    EXPECT_TRUE(w->isMinimized());   // nothing grabbed: it stays minimized
    EXPECT_EQ(screen.grabs, 0);
}

TEST_F(GrabberRig, ATickMarksTheWindowWithAnInvertedFrameAndTheReleaseGrabsItsPixels)
{
    const QRect target(100, 50, 300, 200);
    finder->window = target;
    w->picSnap_MouseDown(Qt::LeftButton);
    w->tmr_Timer();
    ASSERT_TRUE(w->found());
    EXPECT_EQ(*w->found(), (EdgeRect{100, 50, 400, 250}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameShown(); }, 2000));
    // Four strips 3 pixels wide just inside the rectangle, showing the screen inverted.
    QRegion covered;
    for (QWidget* s : w->frameWindows()) {
        ASSERT_TRUE(s->isVisible());
        covered += s->geometry();
        QImage expected = screen.desktop.copy(s->geometry());
        expected.invertPixels();
        EXPECT_EQ(s->grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
    }
    EXPECT_EQ(covered, QRegion(target).subtracted(QRegion(target.adjusted(3, 3, -3, -3))));

    // The next tick takes the frame away before it looks again.
    finder->window = std::nullopt;
    w->tmr_Timer();
    EXPECT_FALSE(frameShown());
    EXPECT_EQ(*w->found(), (EdgeRect{100, 50, 400, 250}));   // nothing new found: the last one stays

    w->picSnap_MouseUp(Qt::LeftButton);
    EXPECT_FALSE(frameShown());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->grabs() == 1; }, 2000));
    EXPECT_EQ(w->picBmp()->picture(), screen.desktop.copy(target));
    EXPECT_EQ(w->picBmp()->pos(), QPoint(0, 0));
    EXPECT_EQ(w->picBmp()->size(), target.size());
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(fakes.messages.messages.empty());
}

TEST_F(GrabberRig, AWindowPartlyOffTheScreenIsGrabbedWithinIt)
{
    const QSize desk = virtualDesktopDeviceRect().size();
    struct Case {
        QRect window;
        QRect grabbed;
    };
    const Case cases[] = {
        {QRect(-40, -30, 200, 100), QRect(0, 0, 160, 70)},
        {QRect(desk.width() - 50, desk.height() - 20, 200, 100), QRect(desk.width() - 50, desk.height() - 20, 50, 20)},
    };
    for (const Case& c : cases) {
        grab(c.window);
        EXPECT_EQ(w->picBmp()->picture(), screen.desktop.copy(c.grabbed));
    }
    EXPECT_EQ(w->grabs(), 2);
}

TEST_F(GrabberRig, ScrollBarsPanALargeGrabAndHideForASmallOne)
{
    w->chk()->setChecked(false);
    grab(QRect(0, 0, 700, 500));
    ASSERT_EQ(w->grabs(), 1);
    ASSERT_EQ(w->size(), QSize(472, 346));
    QScrollBar* h = w->hScroll();
    QScrollBar* v = w->vScroll();
    ASSERT_TRUE(h->isVisible());
    ASSERT_TRUE(v->isVisible());
    EXPECT_EQ(h->maximum(), 700 * 15 - 5235 + 60);
    EXPECT_EQ(v->maximum(), 500 * 15 - 4920 + 60);
    EXPECT_EQ(h->pageStep(), 1745);
    EXPECT_EQ(v->pageStep(), 1640);
    EXPECT_EQ(h->singleStep(), 15);
    h->setValue(1500);
    v->setValue(300);
    EXPECT_EQ(w->picBmp()->pos(), QPoint(-100, -20));

    // The next grab starts at the picture's top-left corner again.
    grab(QRect(0, 0, 600, 400));
    EXPECT_EQ(h->maximum(), 600 * 15 - 5235 + 60);
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), 0);
    EXPECT_EQ(w->picBmp()->pos(), QPoint(0, 0));

    grab(QRect(5, 5, 40, 30));
    EXPECT_FALSE(h->isVisible());
    EXPECT_FALSE(v->isVisible());
}

TEST_F(GrabberRig, ComesBackMaximizedWhenItWasMaximized)
{
    w->showMaximized();
    ASSERT_TRUE(w->isMaximized());
    finder->window = QRect(10, 10, 30, 30);
    w->picSnap_MouseDown(Qt::LeftButton);
    EXPECT_TRUE(w->isMinimized());
    w->tmr_Timer();
    w->picSnap_MouseUp(Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->grabs() == 1; }, 2000));
    EXPECT_TRUE(w->isMaximized());
    EXPECT_FALSE(w->isMinimized());
}

TEST_F(GrabberRig, WithoutTheScreenOnlyTheProgramsOwnControlsAreGrabbedAndThatIsSaidOnce)
{
    screen.grabsScreen = false;
    finder->foreign = false;
    QWidget own;
    own.setGeometry(40, 60, 120, 90);
    own.setAutoFillBackground(true);
    QPalette p = own.palette();
    p.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    own.setPalette(p);
    own.show();
    w->chk()->setChecked(false);
    w->move(600, 400);
    pointer = own.mapToGlobal(QPoint(50, 40));

    for (int round = 0; round < 2; ++round) {
        w->picSnap_MouseDown(Qt::LeftButton);
        EXPECT_TRUE(fakes.messages.messages.size() == std::size_t(round)) << "no box while the button is held";
        w->tmr_Timer();
        ASSERT_TRUE(w->found());
        EXPECT_EQ(w->found()->width(), 120);
        w->picSnap_MouseUp(Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->grabs() == round + 1; }, 2000));
        const QImage got = w->picBmp()->picture();
        ASSERT_EQ(got.size(), QSize(120, 90));
        EXPECT_EQ(got.pixel(60, 45), qRgb(0x12, 0x34, 0x56));
    }
    EXPECT_EQ(finder->asks, 0);
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("蓝禾提示"));
    EXPECT_TRUE(fakes.messages.messages[0].text.contains(QStringLiteral("本程序窗口")));

    // Over no window of the program nothing is found, and nothing is grabbed.
    FrmMain fresh(fakes.services, navigator);
    fresh.setWindowFinder(std::make_unique<ScriptedFinder>());
    fresh.setPointerPosition([] { return QPoint(1590, 990); });
    fresh.picSnap_MouseDown(Qt::LeftButton);
    fresh.tmr_Timer();
    EXPECT_FALSE(fresh.found());
    fresh.picSnap_MouseUp(Qt::LeftButton);
    EXPECT_EQ(fresh.grabs(), 0);
}

TEST_F(GrabberRig, ForeignWindowThatCannotBeReadIsNotSavedAsABlackPicture)
{
    screen.grabsScreen = false;   // the finder sees it, the screen cannot be read
    grab(QRect(10, 10, 50, 40));
    EXPECT_EQ(w->grabs(), 0);
    EXPECT_TRUE(w->picBmp()->picture().isNull());
    ASSERT_FALSE(fakes.messages.messages.empty());
    EXPECT_EQ(fakes.messages.messages.back().title, QStringLiteral("蓝禾提示"));
    EXPECT_FALSE(w->isMinimized());
    fakes.messages.messages.clear();
    w->cmdSave_Click();
    ASSERT_EQ(fakes.messages.messages.size(), 1u);   // nothing to save, and it says so
    EXPECT_TRUE(fakes.files.saveCalls.empty());
}

TEST_F(GrabberRig, SavesExactlyTheGrabbedPixelsAsA24BitBmpAfterAsking)
{
    ASSERT_TRUE(dir.isValid());
    const QRect target(7, 9, 61, 33);
    grab(target);
    ASSERT_EQ(w->grabs(), 1);
    const QString path = dir.filePath(QStringLiteral("grab.bmp"));
    fakes.files.saveAnswers.push_back(path);
    w->cmdSave_Click();
    ASSERT_EQ(fakes.files.saveCalls.size(), 1u);
    EXPECT_EQ(fakes.files.saveCalls[0].filter, QStringLiteral("位图文件 (*.Bmp)|*.Bmp"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    EXPECT_EQ(uchar(bytes[28]), 24);
    EXPECT_EQ(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), screen.desktop.copy(target));

    // Asked before overwriting: No keeps the file, Yes replaces it.
    grab(QRect(0, 0, 20, 20));
    fakes.files.saveAnswers.push_back(path);
    fakes.messages.answers.push_back(false);
    w->cmdSave_Click();
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_EQ(fakes.messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
    EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("询问"));
    EXPECT_EQ(loadPicture(path).size(), target.size());
    fakes.files.saveAnswers.push_back(path);
    fakes.messages.answers.push_back(true);
    w->cmdSave_Click();
    EXPECT_EQ(loadPicture(path).size(), QSize(20, 20));

    // A write that fails says so.
    fakes.messages.messages.clear();
    fakes.files.saveAnswers.push_back(dir.filePath(QStringLiteral("no/such/folder/grab.bmp")));
    w->cmdSave_Click();
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("蓝禾提示"));
}

TEST_F(GrabberRig, TheFrameStaysWhileThePointerStaysAndMovesWithinATickToAnotherWindow)
{
    finder->window = QRect(100, 50, 300, 200);
    w->picSnap_MouseDown(Qt::LeftButton);
    w->tmr_Timer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameShown(); }, 2000));
    // Every hide of a strip is counted from here on.
    struct HideCounter : QObject {
        int hides = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            hides += e->type() == QEvent::Hide;
            return false;
        }
    } counter;
    for (QWidget* s : w->frameWindows())
        s->installEventFilter(&counter);
    for (int tick = 0; tick < 5; ++tick) {
        w->tmr_Timer();
        QCoreApplication::processEvents();
        EXPECT_TRUE(frameShown()) << "tick " << tick;
    }
    EXPECT_EQ(counter.hides, 0);

    // Another window: the frame is around it before the next tick.
    finder->window = QRect(600, 300, 200, 150);
    w->tmr_Timer();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QRegion covered;
            for (QWidget* s : w->frameWindows())
                if (s->isVisible())
                    covered += s->geometry();
            return covered.boundingRect() == QRect(600, 300, 200, 150);
        },
        FrmMain::kTickMs));
    w->picSnap_MouseUp(Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->grabs() == 1; }, 2000));
    EXPECT_EQ(w->picBmp()->picture(), screen.desktop.copy(QRect(600, 300, 200, 150)));
}

TEST_F(GrabberRig, AControlInABorderIsTakenWithItsBorder)
{
    // A design surface's view: its image inside a 2-pixel sunken border.
    RasterSurface surface(200, 150);
    SurfaceView view(surface);
    view.move(30, 40);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    finder->window = std::nullopt;
    pointer = view.canvas()->mapToGlobal(QPoint(100, 70));
    w->picSnap_MouseDown(Qt::LeftButton);
    w->tmr_Timer();
    ASSERT_TRUE(w->found());
    EXPECT_EQ(w->found()->width(), 204);
    EXPECT_EQ(w->found()->height(), 154);
    w->picSnap_MouseUp(Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->finishing(); }, 2000));
    EXPECT_EQ(w->picBmp()->picture().size(), QSize(204, 154));
}
