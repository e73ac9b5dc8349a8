#pragma once
// The real drawing surface: an image in memory (32 bits per pixel, 15 twips
// per pixel) that pens, fills and text are drawn into. Pens go through the
// span rasterizer, so every covered pixel gets the raster operation exactly
// once per call; text is drawn antialiased with the fonts of Fonts.h.

#include "core/Twips.h"
#include "engine/Surface.h"
#include "engine/raster/PenRaster.h"

#include <QFont>
#include <QHash>
#include <QImage>

#include <memory>
#include <vector>

namespace lh {

namespace raster {
class TextMaskCache;
}   // namespace raster

class RasterSurface final : public Surface {
public:
    static constexpr double kTwipsPerPixel = lh::kTwipsPerPixel;

    // A surface of the given inner size in pixels, white, black pen of one
    // pixel in copy mode, font "宋体" 9 points.
    //
    // With a scale above 1 the image is that many times wider and higher
    // while the surface keeps the size, units and measures of the unscaled
    // one: positions, pen widths and font sizes are multiplied on the way
    // into the image, so whatever draws on it draws the same design larger.
    // A scale whose image would exceed 16384 pixels a side or 256 MB is
    // lowered until it fits (scale() tells).
    RasterSurface(int widthPixels, int heightPixels, int scale = 1);

    // Rows of an image of the whole surface that another owns, drawn by
    // this surface alone: what a surface of that size and scale would draw
    // on those rows, pixel for pixel. Bands of one image are drawn side by
    // side on several threads. The image is (whole size) pixels wide
    // (imageSize(widthPixels, heightPixels, scale)), 32 bits a pixel; the
    // surface holds no copy of it. Not valid when the scale would be lowered.
    struct Band {
        uchar* firstRowBits = nullptr;   // the band's first row in the image
        qsizetype bytesPerLine = 0;
        int firstRow = 0;
        int rows = 0;
    };
    RasterSurface(int widthPixels, int heightPixels, int scale, const Band& band);

    // The size of a surface's image at a scale (after any lowering, which
    // scaleFor tells).
    static QSize imageSize(int widthPixels, int heightPixels, int scale);
    static int scaleFor(int widthPixels, int heightPixels, int scale);
    ~RasterSurface() override;

    Rgb backColor() const override { return back_; }
    void setBackColor(Rgb colour) override;
    Rgb foreColor() const override { return fore_; }
    void setForeColor(Rgb colour) override;
    int drawWidth() const override { return drawWidth_; }
    void setDrawWidth(int pixels) override;
    int drawMode() const override { return drawMode_; }
    void setDrawMode(int mode) override;

    QString fontName() const override { return fontName_; }
    void setFontName(const QString& face) override;
    float fontSize() const override { return fontSize_; }
    void setFontSize(float points) override;
    bool fontBold() const override { return fontBold_; }
    void setFontBold(bool bold) override;

    double currentX() const override { return currentX_; }
    double currentY() const override { return currentY_; }
    void setCurrentX(double twips) override { currentX_ = twips; }
    void setCurrentY(double twips) override { currentY_ = twips; }

    int scaleWidth() const override;
    int scaleHeight() const override;
    double twipsPerPixelX() const override { return kTwipsPerPixel; }
    double twipsPerPixelY() const override { return kTwipsPerPixel; }

    float textWidth(const QString& text) const override;

    void clear() override;
    void polygon(std::span<const DevicePoint> points) override;
    void fillPolygon(std::span<const DevicePoint> points, Rgb colour) override;
    void textOut(const QString& text, const LogFontRecord& font) override;
    void print(const QString& text) override;

    void setBackgroundPicture(const QImage& picture) override;
    bool hasBackgroundPicture() const override { return !picture_.isNull(); }
    QImage backgroundPicture() const override { return picture_; }

    QImage image() const override;
    QRect takeDirtyRect() override;

    // The surface's current font as it is drawn and measured (in image pixels).
    QFont currentFont() const;
    // Image pixels per surface pixel.
    int scale() const { return scale_; }
    // False when the image could not be had (too large for the memory).
    bool isValid() const { return !image_.isNull(); }

private:
    raster::Target target() const;
    void repaintBackground();
    void paintBackground(const raster::Target& t) const;
    void drawText(const QString& text, const QFont& font, double ascent, int escapement);
    bool textOrigin(int& x, int& y) const;
    int toImagePixels(double twips) const;
    std::span<const DevicePoint> toImage(std::span<const DevicePoint> points);
    void touch(const QRect& r) { dirty_ |= r & QRect(QPoint(0, 0), whole_); }
    void fontChanged();

    // The image is filled with the background lazily (see repaintBackground),
    // so even reading it may paint.
    int scale_ = 1;
    mutable QImage image_;   // the whole image, or the rows of a band
    QSize whole_;            // the whole image's size
    int firstRow_ = 0;       // the image's first row in the whole image
    std::vector<DevicePoint> scaled_;   // polygon points in image pixels (scale above 1)
    mutable bool backgroundPending_ = false;
    QImage picture_;
    Rgb back_ = 0xFFFFFF;
    Rgb fore_ = 0;
    int drawWidth_ = 1;
    int drawMode_ = 13;
    QString fontName_;
    float fontSize_ = 9.0f;
    bool fontBold_ = false;
    double currentX_ = 0;
    double currentY_ = 0;
    QRect dirty_;
    raster::SpanRasterizer raster_;

    // Measuring: widths of texts in the current surface font. The cache is
    // emptied whenever the font changes, so a width always belongs to the
    // font it is looked up for.
    struct Measure;
    std::unique_ptr<Measure> measure_;
    // Fonts of text records, keyed on every field that shapes the glyphs.
    struct RecordFont;
    std::unique_ptr<RecordFont> recordFont_;
    // Coverage masks of short texts at a font, size and angle.
    std::unique_ptr<raster::TextMaskCache> masks_;
};

}   // namespace lh
