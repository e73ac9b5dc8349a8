#include "tools/Wallpaper.h"

#include "core/Numeric.h"
#include "pictures/ImageMemory.h"
#include "pictures/PictureFiles.h"
#include "forms/Twips.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace lh::tools {

std::vector<int> tileStarts(int extent, int cell)
{
    std::vector<int> starts;
    if (extent < 1 || cell < 1)
        return starts;
    starts.reserve(std::size_t(extent / cell + 1));
    for (std::int64_t at = 0; at < extent; at += cell)
        starts.push_back(int(at));
    return starts;
}

QImage scaleToCell(const QImage& picture, int cellWidth, int cellHeight)
{
    if (picture.isNull() || cellWidth < 1 || cellHeight < 1)
        return {};
    QImage source = picture.convertToFormat(QImage::Format_RGB32);
    source.setDevicePixelRatio(1.0);
    if (source.size() == QSize(cellWidth, cellHeight))
        return source;
    return source.scaled(cellWidth, cellHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

bool TileCanvas(QImage& canvas, const QImage& picture, int cellWidth, int cellHeight, const TileProgress& progress)
{
    if (canvas.isNull())
        return false;
    if (canvas.format() != QImage::Format_RGB32)
        canvas = canvas.convertToFormat(QImage::Format_RGB32);
    // One scaled copy of the picture serves every cell.
    const QImage cell = scaleToCell(picture, cellWidth, cellHeight);
    if (cell.isNull())
        return false;
    const int width = canvas.width();
    const int height = canvas.height();
    const std::vector<int> columns = tileStarts(width, cellWidth);
    for (const int top : tileStarts(height, cellHeight)) {
        const int rows = std::min(cellHeight, height - top);
        for (int r = 0; r < rows; ++r) {
            const auto* src = reinterpret_cast<const QRgb*>(cell.constScanLine(r));
            auto* dst = reinterpret_cast<QRgb*>(canvas.scanLine(top + r));
            for (const int left : columns)
                std::memcpy(dst + left, src, sizeof(QRgb) * std::size_t(std::min(cellWidth, width - left)));
        }
        if (progress && !progress(top + rows, height))
            return false;
    }
    return true;
}

QImage makeCanvas(QSize size)
{
    if (size.width() < 1 || size.height() < 1)
        return {};
    QImage canvas = newImage(size, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.setDotsPerMeterX(kScreenDotsPerMetre);
    canvas.setDotsPerMeterY(kScreenDotsPerMetre);
    return canvas;
}

std::int64_t canvasBytes(QSize size)
{
    return std::int64_t(std::max(0, size.width())) * std::max(0, size.height()) * 4;
}

std::int64_t canvasNeedBytes(QSize size)
{
    // The canvas itself, and the one it replaces, kept until the new one is
    // whole (a cancelled tiling keeps it). Saving and printing go a band at a
    // time and need no second copy.
    const std::int64_t pixels = std::int64_t(std::max(0, size.width())) * std::max(0, size.height());
    return pixels * 4 * 2;
}

std::int64_t largestCanvasPixels(std::int64_t freeBytes)
{
    // A canvas is a picture: four bytes a pixel, within what a picture may
    // take (the canvas it replaces is memory in use already).
    return pictureBytesAllowed(freeBytes) / 4;
}

std::optional<double> twipsOfText(const QString& text)
{
    try {
        const double v = parseNumber(text);
        if (!std::isfinite(v))
            return std::nullopt;
        return v;
    } catch (const StepFailure&) {
        // Digits (with a sign, a point or an exponent) too many for a double
        // are a number all the same: far too large, or far too small.
        static const QRegularExpression number(QStringLiteral("^\\s*([+-]?)(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
        const QRegularExpressionMatch m = number.match(text);
        if (!m.hasMatch())
            return std::nullopt;
        const double magnitude = std::numeric_limits<double>::infinity();
        return m.captured(1) == QStringLiteral("-") ? -magnitude : magnitude;
    }
}

std::int64_t largestSavableCanvasPixels(std::int64_t freeBytes)
{
    // The widest rows a BMP file holds: at three bytes a pixel.
    const std::int64_t bmpPixels = (kMaxBmp24FileBytes - 54) / 3;
    return std::min(largestCanvasPixels(freeBytes), bmpPixels);
}

int largestSavableSquareSide(std::int64_t freeBytes)
{
    std::int64_t side = static_cast<std::int64_t>(std::sqrt(double(largestSavableCanvasPixels(freeBytes))));
    while (side > 0 && (side * side > largestCanvasPixels(freeBytes) || bmp24FileBytes(side, side) > kMaxBmp24FileBytes))
        --side;
    return static_cast<int>(side);
}

CanvasSizeCheck checkCanvasSize(std::optional<double> widthTwips, std::optional<double> heightTwips, int border,
                                std::int64_t freeBytes)
{
    if (!widthTwips || !heightTwips)
        return {CanvasVerdict::NotANumber, {}};
    // Whole pixels first, without letting a huge value wrap around.
    auto innerPixels = [border](double twips) -> std::int64_t {
        const double px = std::round(twips / forms::kTwipsPerPixel);
        if (px > 1e12)
            return std::numeric_limits<std::int64_t>::max() / 4;
        if (px < -1e12)
            return -1;
        return std::int64_t(roundHalfEven(twips / forms::kTwipsPerPixel)) - 2 * border;
    };
    const std::int64_t w = innerPixels(*widthTwips);
    const std::int64_t h = innerPixels(*heightTwips);
    if (w < 1 || h < 1)
        return {CanvasVerdict::TooSmall, {}};
    // A side beyond what a widget or a picture line can be is too large
    // whatever the memory.
    constexpr std::int64_t kLongestSide = 1'000'000;
    if (w > kLongestSide || h > kLongestSide)
        return {CanvasVerdict::TooLarge, {}};
    const QSize inner(static_cast<int>(w), static_cast<int>(h));
    if (std::int64_t(w) * h > largestCanvasPixels(freeBytes))
        return {CanvasVerdict::TooLarge, {}};
    // A canvas taken can always be saved.
    if (bmp24FileBytes(w, h) > kMaxBmp24FileBytes)
        return {CanvasVerdict::TooLargeToSave, {}};
    return {CanvasVerdict::Ok, inner};
}

QString canvasRefusal(CanvasVerdict verdict, std::int64_t freeBytes)
{
    switch (verdict) {
    case CanvasVerdict::Ok: return {};
    case CanvasVerdict::NotANumber: return QStringLiteral("请输入数字（单位：缇，15 缇为 1 像素）。壁纸保持不变。");
    case CanvasVerdict::TooSmall: return QStringLiteral("壁纸尺寸太小，不到 1 像素。壁纸保持不变。");
    case CanvasVerdict::TooLarge:
    case CanvasVerdict::TooLargeToSave: {
        const std::int64_t pixels = largestSavableCanvasPixels(freeBytes);
        const std::int64_t side = largestSavableSquareSide(freeBytes);
        const QString why = verdict == CanvasVerdict::TooLarge
                                ? QStringLiteral("本机内存不够做这么大的壁纸。")
                                : QStringLiteral("这么大的壁纸无法保存为位图文件（位图文件最大 2 GB）。");
        return why
               + QStringLiteral("壁纸保持不变。\n"
                                "本机现在最多能做并保存约 %1 万像素的壁纸（例如 %2 × %2 像素，即 %3 × %3 缇）。")
                     .arg(pixels / 10000)
                     .arg(side)
                     .arg(side * forms::kTwipsPerPixel);
    }
    }
    return {};
}

}   // namespace lh::tools

namespace lh::tools {

QPoint dragCanvasTo(QPoint startPosition, QPoint pressGlobal, QPoint nowGlobal, QSize canvas, QSize area, int keep)
{
    const QPoint wanted = startPosition + (nowGlobal - pressGlobal);
    auto clamp = [keep](int at, int length, int room) {
        const int k = std::min(keep, length);
        return std::clamp(at, k - length, std::max(k - length, room - k));
    };
    return QPoint(clamp(wanted.x(), canvas.width(), area.width()), clamp(wanted.y(), canvas.height(), area.height()));
}

}   // namespace lh::tools
