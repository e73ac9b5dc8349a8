// Cutting a paused design out of the main window on a real X display, with
// real pointer input from outside the program (xdotool).

#include "core/Random.h"
#include "photo/Form1.h"
#include "platform/QtClipboard.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form20.h"
#include "tools/PictureBox.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "Xdotool.h"

using namespace lh;

namespace {

using test::xdotool;

}   // namespace

TEST(CaptureFromMainWindow, DragOverAPausedDesignCutsExactlyWhatTheScreenShows)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    SeededRandom random(20110101);
    test::RecordingNavigator navigator;
    QtClipboard clipboard;
    const std::unique_ptr<ScreenGrabber> screen = makeScreenGrabber(QGuiApplication::platformName());
    test::FakeServices fake;
    PlatformServices& services = fake.services;
    services.random = &random;
    services.clipboard = &clipboard;
    services.screen = screen.get();

    photo::Form1 main(services, navigator);
    main.move(0, 0);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    // The first slot's photo in the middle, one design, then pause.
    QObject* slot = main.findChild<QObject*>(QStringLiteral("Image7"));
    ASSERT_NE(slot, nullptr);
    QMetaObject::invokeMethod(slot, "clicked");
    main.Timer1_Timer();
    QCheckBox* pause = main.findChild<QCheckBox*>(QStringLiteral("Check2"));
    ASSERT_NE(pause, nullptr);
    pause->click();
    ASSERT_FALSE(pause->isChecked());

    tools::Form20 capture(services, navigator, &main);
    capture.setAttribute(Qt::WA_DeleteOnClose, false);
    capture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capture));
    // Wait until the screen shows the part to be cut as the main window paints it.
    const QRect cut(120, 90, 720, 740);
    const QImage painted =
        main.grab(QRect(main.mapFromGlobal(cut.topLeft()), cut.size())).toImage().convertToFormat(QImage::Format_RGB32);
    QImage before;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            before = screen->grabDesktop().convertToFormat(QImage::Format_RGB32);
            return before.copy(cut) == painted;
        },
        10000))
        << "the screen never showed the paused design";

    capture.mnuFileSnap()->trigger();
    // From below the date label at the bottom-right of the design up to the top-left.
    ASSERT_TRUE(xdotool({"mousemove", "840", "830", "mousedown", "1", "mousemove", "500", "400", "mousemove", "120",
                         "90", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.state() == tools::Form20::State::Captured; }, 10000));

    const QImage expect = before.copy(cut);
    const QImage picture = capture.picture1()->picture().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.size(), QSize(720, 740));
    EXPECT_TRUE(picture == expect);
    EXPECT_TRUE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) == expect);
    EXPECT_TRUE(capture.mnuFileSave()->isEnabled());
    // The photo box in the middle of the design is part of the cut: the centre
    // of what it shows is found at its place in the picture.
    QWidget* photo = main.findChild<QWidget*>(QStringLiteral("Image6"));
    ASSERT_NE(photo, nullptr);
    ASSERT_TRUE(photo->isVisible());
    // The surface's view paints the photo in its box's place.
    const QImage shown = photo->parentWidget()->grab(photo->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint centre(photo->width() / 2, photo->height() / 2);
    const QPoint inCut = photo->mapToGlobal(centre) - QPoint(120, 90);
    ASSERT_TRUE(picture.rect().contains(inCut));
    const QImage patch = shown.copy(QRect(centre - QPoint(20, 20), QSize(40, 40)));
    QSet<QRgb> colours;
    for (int y = 0; y < patch.height(); ++y)
        for (int x = 0; x < patch.width(); ++x)
            colours.insert(patch.pixel(x, y));
    EXPECT_GT(colours.size(), 1) << "the photo box shows a picture";
    EXPECT_EQ(picture.copy(QRect(inCut - QPoint(20, 20), QSize(40, 40))), patch);
}
