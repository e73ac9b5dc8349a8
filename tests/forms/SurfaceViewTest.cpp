// The canvas widget that shows a surface.
#include "forms/SurfaceView.h"
#include "engine/RasterSurface.h"
#include "engine/raster/PenRaster.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace lh;

TEST(SurfaceView, FramesTheImageAndHostsBoxesInInnerCoordinates)
{
    RasterSurface surface(857, 857);
    SurfaceView view(surface);
    EXPECT_EQ(view.size(), QSize(861, 861));
    EXPECT_EQ(view.frameWidth(), 2);
    EXPECT_EQ(view.canvas()->geometry(), QRect(2, 2, 857, 857));

    auto* label = new QLabel(QStringLiteral("2026"), view.canvas());
    label->move(100, 50);
    EXPECT_EQ(label->mapTo(&view, QPoint(0, 0)), QPoint(102, 52));
}

TEST(SurfaceView, ShowsWhatWasDrawnAfterRefresh)
{
    RasterSurface surface(120, 80);
    SurfaceView view(surface);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    surface.setForeColor(rgb(0, 0, 255));
    surface.setDrawWidth(9);
    surface.polygon(std::vector<DevicePoint>{{30, 20}, {90, 20}, {90, 60}, {30, 60}});
    view.refresh();
    EXPECT_TRUE(surface.takeDirtyRect().isEmpty()) << "refresh took the changed area";
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(raster::fromPixel(shown.pixel(2 + 30, 2 + 20)), rgb(0, 0, 255));
    EXPECT_EQ(raster::fromPixel(shown.pixel(2 + 60, 2 + 40)), 0xFFFFFFu);
}

TEST(SurfaceView, ReportsMouseReleasesInTwips)
{
    RasterSurface surface(857, 857);
    SurfaceView view(surface);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy spy(&view, &SurfaceView::mouseReleased);

    const struct {
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
        QPoint at;
    } cases[] = {
        {Qt::LeftButton, Qt::NoModifier, QPoint(10, 20)},
        {Qt::RightButton, Qt::ShiftModifier, QPoint(856, 0)},
    };
    for (const auto& c : cases) {
        spy.clear();
        QTest::mouseClick(view.canvas(), c.button, c.mods, c.at);
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy[0][0].value<Qt::MouseButton>(), c.button);
        EXPECT_EQ(spy[0][1].value<Qt::KeyboardModifiers>(), c.mods);
        EXPECT_EQ(spy[0][2].toPointF(), QPointF(c.at.x() * 15.0, c.at.y() * 15.0));
    }
}
