#pragma once
// Pictures for tests and the differences between two of them.

#include <QImage>
#include <QRect>

namespace lh::test {

// A picture whose every pixel differs from its right and lower neighbours in
// each channel, so a copy shifted by even one pixel shows. Another seed gives
// another picture of the same kind.
inline QImage patterned(int width, int height, int seed = 0)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 7 + y * 3 + seed * 11) & 0xFF, (x * 13 + y * 29 + seed * 5) & 0xFF,
                          (x * 23 + y * 11 + seed * 3) & 0xFF);
    }
    return img;
}

// The same picture marked with a resolution (dots per metre both ways), as a
// picture saved from the screen (3780, 96 dpi) or a printer would be.
inline QImage atResolution(QImage img, int dotsPerMetre)
{
    img.setDotsPerMeterX(dotsPerMetre);
    img.setDotsPerMeterY(dotsPerMetre);
    return img;
}

// A smooth picture whose colour tells where in it a pixel lies (red grows to
// the right, green downwards): for comparisons after resampling, where a
// patterned picture would turn to grey.
inline QImage gradient(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(40 + 200 * x / width, 40 + 200 * y / height, 20);
    }
    return img;
}

// The bounding box of the pixels that differ between two pictures of one size
// (colour only: alpha is not compared); empty when they are alike.
inline QRect changedArea(const QImage& before, const QImage& after)
{
    QRect box;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if ((before.pixel(x, y) & 0xFFFFFFu) != (after.pixel(x, y) & 0xFFFFFFu))
                box |= QRect(x, y, 1, 1);
    return box;
}

// The bounding box of the pixels whose colour is not `background` (0xRRGGBB).
inline QRect inkArea(const QImage& img, QRgb background)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFFu) != (background & 0xFFFFFFu))
                box |= QRect(x, y, 1, 1);
    return box;
}

}   // namespace lh::test
