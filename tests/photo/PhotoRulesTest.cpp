#include "core/Random.h"
#include "photo/PhotoSettings.h"
#include "photo/PhotoSlots.h"

#include "HostilePictures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace lh::photo;

TEST(PhotoCaptions, ElapsedClockAndAngle)
{
    struct Case {
        std::int32_t seconds;
        const char* minutes;
        const char* hours;
    };
    const Case cases[] = {
        {0, "00分00秒", "0小时"},
        {59, "00分59秒", "0小时"},
        {61, "01分01秒", "0小时"},
        {3599, "59分59秒", "0小时"},
        {3725, "62分05秒", "1小时"},
        {6000 * 60 + 7, "6000分07秒", "100小时"},
        {INT32_MAX, "35791394分07秒", "596523小时"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(elapsedMinutesCaption(c.seconds), QString::fromUtf8(c.minutes)) << c.seconds;
        EXPECT_EQ(elapsedHoursCaption(c.seconds), QString::fromUtf8(c.hours)) << c.seconds;
    }
    EXPECT_EQ(angleCaption(0), QStringLiteral("0度"));
    EXPECT_EQ(angleCaption(-360), QStringLiteral("-360度"));
    EXPECT_EQ(musicCaption(true), QStringLiteral("关闭音乐"));
    EXPECT_EQ(musicCaption(false), QStringLiteral("播放音乐"));
}

TEST(PhotoBackground, RandomBackgroundTakesThreeDrawsRedFirst)
{
    lh::ScriptedRandom random({0.5f, 0.25f, 1.0f / 230.0f, 0.9f});
    // red round(115) = 115, green round(57.5) = 58, blue round(1) = 1
    EXPECT_EQ(randomBackgroundText(random), QString::number(lh::rgb(115, 58, 1)));
    EXPECT_EQ(random.count(), 3u);
    EXPECT_EQ(backgroundText(lh::rgb(255, 0, 0)), QStringLiteral("255"));
}

// A loader over names: "bad" does not load, anything else becomes a 1-pixel
// picture whose width is the name's length (so pictures tell names apart).
std::optional<QImage> fakeLoad(const QString& path)
{
    if (path == QStringLiteral("bad"))
        return std::nullopt;
    QImage image(static_cast<int>(path.size()), 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

std::array<QImage, PhotoSlots::kCount> samples()
{
    std::array<QImage, PhotoSlots::kCount> s;
    for (int i = 0; i < PhotoSlots::kCount; ++i) {
        s[i] = QImage(100 + i, 1, QImage::Format_RGB32);
        s[i].fill(Qt::black);
    }
    return s;
}

TEST(PhotoSlotsRules, FirstSlotEndsOnCancelOrBadFile)
{
    PhotoSlots photos(samples(), fakeLoad);
    EXPECT_FALSE(photos.replace(0, std::nullopt));
    EXPECT_EQ(photos.picture(0).width(), 100);
    EXPECT_FALSE(photos.replace(0, QStringLiteral("bad")));
    EXPECT_EQ(photos.picture(0).width(), 100);
    EXPECT_TRUE(photos.replace(0, QStringLiteral("abc")));
    EXPECT_EQ(photos.picture(0).width(), 3);
    // A cancel after a choice still changes nothing in the first slot.
    EXPECT_FALSE(photos.replace(0, std::nullopt));
    EXPECT_EQ(photos.picture(0).width(), 3);
}

TEST(PhotoSlotsRules, OtherSlotsReloadTheSharedNameOnCancel)
{
    PhotoSlots photos(samples(), fakeLoad);
    // Nothing chosen yet: a cancel keeps the slot's picture.
    const QImage before = photos.picture(1);
    EXPECT_FALSE(photos.replace(1, std::nullopt));
    EXPECT_EQ(photos.picture(1), before);
    EXPECT_FALSE(before.isNull());

    // A name chosen in slot 1 is loaded by a cancel in slot 4.
    EXPECT_TRUE(photos.replace(0, QStringLiteral("abcd")));
    EXPECT_TRUE(photos.replace(3, std::nullopt));
    EXPECT_EQ(photos.picture(3).width(), 4);
    EXPECT_EQ(photos.dialogFileName(), QStringLiteral("abcd"));

    // A bad file leaves the slot, but it becomes the shared name.
    EXPECT_FALSE(photos.replace(2, QStringLiteral("bad")));
    EXPECT_EQ(photos.picture(2).width(), 102);
    EXPECT_FALSE(photos.replace(2, std::nullopt));
    EXPECT_EQ(photos.picture(2).width(), 102);
    EXPECT_FALSE(photos.replace(7, QStringLiteral("abc")));
}

TEST(PictureFiles, LoadsPicturesAndRefusesEverythingElse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };

    QImage small(400, 300, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(small.save(jpeg, "JPEG"));
    // A BMP under a wrong extension still loads: the content decides.
    const QString bmp = dir.filePath(QStringLiteral("photo.gif"));
    ASSERT_TRUE(small.save(bmp, "BMP"));

    // A BMP header announcing 60000 x 60000 pixels, with no pixel data.
    QByteArray huge("BM", 2);
    auto le32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            huge.append(char((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [&](quint16 v) {
        for (int i = 0; i < 2; ++i)
            huge.append(char((v >> (8 * i)) & 0xFF));
    };
    le32(54 + 16);
    le16(0);
    le16(0);
    le32(54);
    le32(40);
    le32(60000);
    le32(60000);
    le16(1);
    le16(24);
    le32(0);
    le32(0);
    le32(2835);
    le32(2835);
    le32(0);
    le32(0);
    huge.append(QByteArray(16, '\0'));

    const auto loadedJpeg = loadPictureFile(jpeg);
    ASSERT_TRUE(loadedJpeg.has_value());
    EXPECT_EQ(loadedJpeg->size(), QSize(400, 300));
    const auto loadedBmp = loadPictureFile(bmp);
    ASSERT_TRUE(loadedBmp.has_value());
    EXPECT_EQ(loadedBmp->pixelColor(10, 10), QColor(Qt::red));

    const QString refused[] = {
        QString(),
        dir.filePath(QStringLiteral("missing.jpg")),
        write(QStringLiteral("garbage.jpg"), QByteArray(5000, '\x5a')),
        write(QStringLiteral("empty.bmp"), QByteArray()),
        write(QStringLiteral("truncated.jpg"),
              [&] {
                  QFile f(jpeg);
                  f.open(QIODevice::ReadOnly);
                  return f.read(40);
              }()),
        write(QStringLiteral("huge.bmp"), huge),
        write(QStringLiteral("claims.bmp"), lh::test::bmpClaiming(11000, -11000)),
        write(QStringLiteral("bomb.png"), lh::test::pngOfZeros(6000, 6000, 6000)),
    };
    for (const QString& path : refused)
        EXPECT_FALSE(loadPictureFile(path).has_value()) << path.toStdString();
}

// Slots keep a copy no larger than they need: four slots filled with a 1 KB
// JPEG claiming 11000 x 11000 (484 MB at full size) and a large real picture
// hold a few megabytes.
TEST(PhotoSlotsRules, SlotsKeepABoundedCopyOfLargePictures)
{
    QTemporaryDir dir;
    const QString claims = dir.filePath(QStringLiteral("claims.jpg"));
    const QString wide = dir.filePath(QStringLiteral("wide.png"));
    {
        QFile f(claims);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(lh::test::jpegClaiming(11000, 11000));
    }
    QImage big(3000, 1200, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(wide, "PNG"));

    PhotoSlots panel({QImage(), QImage(), QImage(), QImage()});
    qint64 held = 0;
    for (int slot = 0; slot < PhotoSlots::kCount; ++slot) {
        ASSERT_TRUE(panel.replace(slot, claims)) << slot;
        const QImage& kept = panel.picture(slot);
        EXPECT_LE(kept.width(), kSlotPictureBound.width());
        EXPECT_LE(kept.height(), kSlotPictureBound.height());
        held += kept.sizeInBytes();
    }
    EXPECT_LT(held, 100 * 1024 * 1024);

    ASSERT_TRUE(panel.replace(2, wide));
    EXPECT_EQ(panel.picture(2).size(), QSize(1024, 409));
    EXPECT_EQ(panel.picture(2).pixelColor(500, 200), QColor(Qt::blue));
}

}   // namespace
