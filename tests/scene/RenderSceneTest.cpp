// A large design is drawn in bands of rows, each on a thread of its own;
// every band draws the whole design on its own rows. The picture is the same,
// pixel for pixel, however it is cut and however often it is drawn:
// outlines, thin lines, ring and serial texts, the stamps (large glyphs,
// turned), the background and the photo with its ring and date over it.

#include "scene/DesignScene.h"

#include "GalleryTestSupport.h"

#include <gtest/gtest.h>

using namespace lh;

namespace {

// Where two pictures of one size differ, for the failure message.
std::string differences(const QImage& a, const QImage& b)
{
    QRect box;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                box |= QRect(x, y, 1, 1);
                ++count;
            }
    return std::to_string(count) + " pixels differ within " + std::to_string(box.x()) + "," + std::to_string(box.y())
           + " " + std::to_string(box.width()) + "x" + std::to_string(box.height());
}

}   // namespace

TEST(RenderScene, BandsOfAnyCutDrawTheSamePictureEveryTime)
{
    // A design over a background picture (a transparent one shows the
    // background colour through it), smaller than the surface.
    scene::DesignScene pictured = test::sceneOf(6, 12);
    QImage see = test::patterned(500, 300, 4).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < see.height(); ++y)
        for (int x = 0; x < see.width(); x += 3)
            see.setPixel(x, y, qRgba(0, 0, 0, 0));
    pictured.record.before.background = see;
    ASSERT_NE(scene::renderScene(pictured, 1), scene::renderScene(test::sceneOf(6, 12), 1)) << "the picture shows";
    const struct {
        const char* what;
        scene::DesignScene scene;
        int scale;
    } cases[] = {
        {"photo design with stamps, photo and date", test::sceneOf(1, 3, true), 4},
        {"category 6", test::sceneOf(6, 11), 4},
        {"category 11, all seven layers", test::sceneOf(11, 5), 3},
        {"over a background picture", pictured, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QImage whole = scene::renderScene(c.scene, c.scale, 1);
        ASSERT_FALSE(whole.isNull());
        ASSERT_EQ(whole.size(), QSize(857, 857) * c.scale);
        // One band again, the automatic cut, and cuts at odd rows.
        for (const int bands : {1, 0, 2, 3, 7}) {
            SCOPED_TRACE(bands);
            const QImage banded = scene::renderScene(c.scene, c.scale, bands);
            ASSERT_EQ(banded.size(), whole.size());
            if (banded != whole)
                ADD_FAILURE() << differences(whole, banded);
        }
    }
}
