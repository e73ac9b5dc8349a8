// A kept design's scene comes back from its bytes as it was; bytes that are
// not a scene, are cut short, claim more than they hold or come from a later
// version are refused and change nothing.

#include "scene/SceneCodec.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <random>

using namespace lh;
using namespace lh::scene;

namespace {

DesignScene stampedPhotoScene()
{
    DesignScene scene;
    scene.category = 1;
    LogFontRecord font;
    font.height = -24;
    font.escapement = 450;
    font.weight = 700;
    font.charSet = 134;
    font.faceName = QStringLiteral("宋体");
    scene.stamps.push_back({1500.5, 9000, QStringLiteral("我最新的美术图案作品"), font, 0x00FF80});
    font.escapement = -900;
    scene.stamps.push_back({12000, 30, QStringLiteral("★"), font, 0x123456});
    PhotoOverlay overlay{QRect(348, 348, 165, 165), QRect(346, 346, 168, 168), QColor(0xD7, 0x15, 0x7B), 23, {}};
    QFont dateFont(QStringLiteral("宋体"));
    dateFont.setPointSize(12);
    dateFont.setBold(true);
    overlay.date = CaptionOverlay{QStringLiteral("2026/1/1 12:00:00"), dateFont, QColor(10, 200, 30),
                                  QRect(692, 790, 163, 17), Qt::AlignLeft | Qt::AlignVCenter, 16};
    scene.overlay = overlay;
    return scene;
}

void expectSameExtras(const DesignScene& a, const DesignScene& b)
{
    EXPECT_EQ(a.category, b.category);
    ASSERT_EQ(a.stamps.size(), b.stamps.size());
    for (std::size_t i = 0; i < a.stamps.size(); ++i) {
        EXPECT_EQ(a.stamps[i].xTwips, b.stamps[i].xTwips);
        EXPECT_EQ(a.stamps[i].yTwips, b.stamps[i].yTwips);
        EXPECT_EQ(a.stamps[i].text, b.stamps[i].text);
        EXPECT_EQ(a.stamps[i].font, b.stamps[i].font);
        EXPECT_EQ(a.stamps[i].colour, b.stamps[i].colour);
    }
    ASSERT_EQ(a.overlay.has_value(), b.overlay.has_value());
    if (!a.overlay)
        return;
    EXPECT_EQ(a.overlay->photo, b.overlay->photo);
    EXPECT_EQ(a.overlay->frame, b.overlay->frame);
    EXPECT_EQ(a.overlay->frameColour, b.overlay->frameColour);
    EXPECT_EQ(a.overlay->frameWidth, b.overlay->frameWidth);
    ASSERT_EQ(a.overlay->date.has_value(), b.overlay->date.has_value());
    if (!a.overlay->date)
        return;
    EXPECT_EQ(a.overlay->date->text, b.overlay->date->text);
    EXPECT_EQ(a.overlay->date->font, b.overlay->date->font);
    EXPECT_EQ(a.overlay->date->colour, b.overlay->date->colour);
    EXPECT_EQ(a.overlay->date->place, b.overlay->date->place);
    EXPECT_EQ(a.overlay->date->alignment, b.overlay->date->alignment);
    EXPECT_EQ(a.overlay->date->pixelSize, b.overlay->date->pixelSize);
}

}   // namespace

TEST(SceneCodec, ScenesComeBackAsTheyWere)
{
    DesignScene plain;
    plain.category = 7;
    DesignScene photoOnly = stampedPhotoScene();
    photoOnly.stamps.clear();
    photoOnly.overlay->date.reset();
    const DesignScene cases[] = {plain, stampedPhotoScene(), photoOnly};
    for (const DesignScene& scene : cases) {
        DesignScene read;
        QString why;
        ASSERT_TRUE(decodeSceneExtras(encodeSceneExtras(scene), read, &why)) << why.toStdString();
        expectSameExtras(scene, read);
    }
}

TEST(SceneCodec, RefusesWhatIsNoSceneAndChangesNothing)
{
    const QByteArray good = encodeSceneExtras(stampedPhotoScene());
    QByteArray later = good;
    later[4] = 2;   // the version, little-endian
    QByteArray hugeText = good;
    // The first stamp's text length (after magic, version, category, count and two coordinates).
    const int at = 4 + 4 + 4 + 4 + 8 + 8;
    hugeText[at] = '\xFF';
    hugeText[at + 1] = '\xFF';
    hugeText[at + 2] = '\xFF';
    hugeText[at + 3] = '\x7F';
    QByteArray manyStamps = good;
    manyStamps[12] = '\xFF';
    manyStamps[13] = '\xFF';
    manyStamps[14] = '\xFF';
    manyStamps[15] = '\x7F';
    QByteArray badCategory = good;
    badCategory[8] = 12;

    const struct Case {
        const char* what;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"empty", QByteArray(), "不是"},
        {"another file", QByteArray("\x89PNG\r\n\x1a\n0000000000000000"), "不是"},
        {"a later version", later, "较新"},
        {"cut in the middle", good.left(good.size() / 2), "损坏"},
        {"one byte short", good.chopped(1), "损坏"},
        {"a byte too many", good + QByteArray(1, '\0'), "损坏"},
        {"a text claiming 2 GB", hugeText, "损坏"},
        {"two billion stamps", manyStamps, "损坏"},
        {"category 12", badCategory, "损坏"},
    };
    for (const Case& c : cases) {
        DesignScene scene;
        scene.category = 5;
        QString why;
        EXPECT_FALSE(decodeSceneExtras(c.bytes, scene, &why)) << c.what;
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << c.what << ": " << why.toStdString();
        EXPECT_EQ(scene.category, 5) << c.what;
        EXPECT_TRUE(scene.stamps.empty()) << c.what;
        EXPECT_FALSE(scene.overlay.has_value()) << c.what;
    }

    // Random damage anywhere is refused or read without harm, never a crash.
    std::mt19937 random(3);
    for (int i = 0; i < 2000; ++i) {
        QByteArray damaged = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < flips; ++k)
            damaged[static_cast<int>(random() % damaged.size())] = static_cast<char>(random());
        DesignScene scene;
        decodeSceneExtras(damaged, scene);
        EXPECT_LE(scene.stamps.size(), 2u);
    }
}
