#include "pictures/ImageMemory.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace lh;

namespace {

// Whether any mapping of the process covers the address.
bool mapped(const void* address)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    const auto at = reinterpret_cast<quintptr>(address);
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> range = line.split(' ').value(0).split('-');
        if (range.size() == 2 && range[0].toULongLong(nullptr, 16) <= at && at < range[1].toULongLong(nullptr, 16))
            return true;
    }
    return false;
}

}   // namespace

TEST(NewImage, BehavesAsAnyImageAndGivesItsMemoryBackWithTheLastCopy)
{
    struct Case {
        QSize size;
        QImage::Format format;
    };
    const Case cases[] = {
        {{10, 10}, QImage::Format_RGB32},       // small: an ordinary image
        {{2000, 1500}, QImage::Format_RGB32},   // 12 MB: memory of its own
        {{1500, 1001}, QImage::Format_ARGB32_Premultiplied},
        {{2000, 1500}, QImage::Format_RGB888},   // not four bytes a pixel: ordinary
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << " format " << c.format);
        const uchar* pixels = nullptr;
        {
            QImage image = newImage(c.size, c.format);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), c.size);
            EXPECT_EQ(image.format(), c.format);
            image.fill(Qt::red);
            image.setPixel(c.size.width() - 1, c.size.height() - 1, qRgb(0, 0, 255));
            pixels = image.constBits();
            // A copy shares until it is written; then each has its own pixels.
            QImage copy = image;
            copy.setPixel(0, 0, qRgb(0, 255, 0));
            EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
            EXPECT_EQ(copy.pixel(0, 0), qRgb(0, 255, 0));
            EXPECT_EQ(image.pixel(c.size.width() - 1, c.size.height() - 1), qRgb(0, 0, 255));
            EXPECT_EQ(image.constBits(), pixels);   // written in place, never copied
            image.setDotsPerMeterX(7559);
            EXPECT_EQ(image.constBits(), pixels);
        }
        if (qint64(c.size.width()) * c.size.height() * 4 >= kLargeImageBytes && c.format != QImage::Format_RGB888) {
            EXPECT_FALSE(mapped(pixels));
        }
    }
}

TEST(NewImage, EmptyOrLargerThanTheMachineIsNull)
{
    EXPECT_TRUE(newImage(QSize(0, 10), QImage::Format_RGB32).isNull());
    EXPECT_TRUE(newImage(QSize(10, -1), QImage::Format_RGB32).isNull());
    // 4 terabytes.
    EXPECT_TRUE(newImage(QSize(1'000'000, 1'000'000), QImage::Format_RGB32).isNull());
}
