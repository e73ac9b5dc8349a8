#include "pictures/PictureFiles.h"

#include "core/CpuState.h"
#include "pictures/FileAccess.h"
#include "pictures/PngEncoder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace lh {

namespace {

// The dots per metre a fresh QImage gets when a file carries none.
int defaultDotsPerMetre() { return QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX(); }

void put16(char* p, uint16_t v) { qToLittleEndian(v, p); }
void put32(char* p, uint32_t v) { qToLittleEndian(v, p); }

}   // namespace

qint64 fullPictureLimitBytes(qint64 availableBytes)
{
    const qint64 fixed = qint64(kPictureAllocationLimitMb) * 1024 * 1024;
    if (availableBytes <= 0)
        return fixed;
    return std::min(fixed, pictureBytesAllowed(availableBytes));
}

QString implausibleSizeClaim(const QByteArray& head, qint64 fileSize)
{
    // The first 64 bytes, zeros past the end of a shorter file.
    unsigned char b[64] = {};
    std::memcpy(b, head.constData(), size_t(std::min<qsizetype>(head.size(), sizeof b)));
    const auto le16 = [&](int at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; };
    const auto le32 = [&](int at) { return le16(at) | le16(at + 2) << 16; };
    const auto be32 = [&](int at) {
        return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
    };
    if (head.size() >= 54 && b[0] == 'B' && b[1] == 'M') {
        const uint32_t offset = le32(10);
        const uint32_t infoSize = le32(14);
        if (infoSize < 40)
            return {};   // the small OS/2 header: leave it to the decoder
        const double w = std::abs(double(int32_t(le32(18))));
        const double h = std::abs(double(int32_t(le32(22))));
        const uint32_t bits = le16(28);
        const uint32_t compression = le32(30);
        // Only uncompressed rows have a known size: RGB, bit fields, alpha bit fields.
        if (compression != 0 && compression != 3 && compression != 6)
            return {};
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return {};
        const double rowBytes = std::floor((w * bits + 31) / 32) * 4;
        const double pixelBytes = rowBytes * h;
        const double present = std::max<double>(0, double(fileSize) - offset);
        if (present * 2 < pixelBytes)
            return QStringLiteral("文件只有 %1 字节，容不下它声称的 %2 x %3 像素")
                .arg(fileSize)
                .arg(qint64(w))
                .arg(qint64(h));
        return {};
    }
    if (head.size() >= 10 && (head.startsWith("GIF87a") || head.startsWith("GIF89a"))) {
        // The decoder sets aside the whole logical screen. LZW gives at most
        // 4096 pixels per code once its table is full, about 2731 per byte;
        // filling the table yields at most some 8 million. Twice that, and
        // 4096 per byte, is a safe ceiling.
        const double w = le16(6);
        const double h = le16(8);
        if (w * h > 16.0 * 1024 * 1024 + 4096.0 * double(fileSize))
            return QStringLiteral("文件只有 %1 字节，容不下它声称的 %2 x %3 像素")
                .arg(fileSize)
                .arg(qint64(w))
                .arg(qint64(h));
        return {};
    }
    static const unsigned char pngStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                               0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    if (head.size() >= 29 && std::memcmp(b, pngStart, 8) == 0 && std::memcmp(b + 12, pngStart + 12, 4) == 0) {
        const double w = be32(16);
        const double h = be32(20);
        const uint32_t depth = b[24];
        const uint32_t colourType = b[25];
        int channels = 0;
        switch (colourType) {
        case 0: channels = 1; break;   // grey
        case 2: channels = 3; break;   // RGB
        case 3: channels = 1; break;   // palette
        case 4: channels = 2; break;   // grey and alpha
        case 6: channels = 4; break;   // RGBA
        default: return {};
        }
        // Every row is a filter byte and its samples; deflate packs at most
        // 1032 bytes into one.
        const double rawBytes = h * (1 + std::ceil(w * channels * depth / 8));
        if (double(fileSize) * 1032 < rawBytes)
            return QStringLiteral("文件只有 %1 字节，容不下它声称的 %2 x %3 像素")
                .arg(fileSize)
                .arg(qint64(w))
                .arg(qint64(h));
    }
    return {};
}

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

// The size libjpeg decodes at when asked for `target`: Qt's JPEG reader scales
// by 1/2, 1/4 or 1/8 in the decoder and the rest afterwards.
QSize jpegDecodeSize(QSize claimed, QSize target)
{
    const int ratio =
        std::min(claimed.width() / std::max(1, target.width()), claimed.height() / std::max(1, target.height()));
    const int denominator = ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
    return QSize((claimed.width() + denominator - 1) / denominator, (claimed.height() + denominator - 1) / denominator);
}

// A PNG chunk whose length runs past the end of the file: the decoder would
// set aside that length (up to 2 GB) before it finds the file too short.
// Walks the chunk headers up to IEND; leaves the file at its start.
bool pngChunkRunsPastTheEnd(QFile& file, qint64 fileSize)
{
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (file.peek(8) != QByteArray::fromRawData(signature, 8))
        return false;
    bool past = false;
    qint64 at = 8;
    char header[8];
    while (at + 8 <= fileSize && file.seek(at) && file.read(header, 8) == 8) {
        const qint64 length = qFromBigEndian<uint32_t>(header);
        if (length + 12 > fileSize - at) {
            past = true;
            break;
        }
        if (std::memcmp(header + 4, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    file.seek(0);
    return past;
}

// What a JPEG file's frame header says: the decoder of a progressive file
// keeps every coefficient of the whole picture until its last scan.
struct JpegFrame {
    bool progressive = false;
    // The components' sampling factors, horizontal and vertical.
    std::vector<std::pair<int, int>> sampling;
};

// Walks the marker segments up to the frame header; leaves the file at its start.
std::optional<JpegFrame> readJpegFrame(QFile& file)
{
    std::optional<JpegFrame> frame;
    uchar b[8];
    if (file.seek(0) && file.read(reinterpret_cast<char*>(b), 2) == 2 && b[0] == 0xFF && b[1] == 0xD8) {
        qint64 at = 2;
        for (int segments = 0; segments < 4096 && file.seek(at); ++segments) {
            if (file.read(reinterpret_cast<char*>(b), 2) != 2 || b[0] != 0xFF)
                break;
            const uchar marker = b[1];
            if (marker == 0xFF) {   // a fill byte
                at += 1;
                continue;
            }
            if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {   // no length
                at += 2;
                continue;
            }
            if (marker == 0xD9 || marker == 0xDA)   // end of picture, start of scan: no frame before
                break;
            if (file.read(reinterpret_cast<char*>(b), 2) != 2)
                break;
            const int length = b[0] << 8 | b[1];
            const bool startOfFrame =
                marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (startOfFrame) {
                // precision, height, width, components; then id, sampling, table of each
                const QByteArray body = file.read(std::max(0, length - 2));
                if (body.size() < 6)
                    break;
                JpegFrame f;
                f.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
                const int components = uchar(body[5]);
                for (int i = 0; i < components && 6 + 3 * i + 1 < body.size(); ++i) {
                    const uchar factors = uchar(body[6 + 3 * i + 1]);
                    f.sampling.emplace_back(std::max(1, factors >> 4), std::max(1, factors & 0x0F));
                }
                frame = f;
                break;
            }
            at += 2 + length;
        }
    }
    file.seek(0);
    return frame;
}

// What decoding a picture of `decoded` pixels (the size the decoder is asked
// for; `claimed` is the file's own) takes at its peak, counted from the
// file's header before a pixel is decoded.
struct DecodingCost {
    // The image the decoder fills and the 32-bit copy the windows make of a
    // picture with fewer bytes a pixel (a GIF: its second screen-sized image
    // for frame disposal).
    qint64 image = 0;
    // The decoder's own buffers where they grow with the picture: every
    // coefficient of a progressive JPEG, at the full size whatever the scale.
    qint64 working = 0;
};

DecodingCost decodingCost(const QByteArray& format, const QByteArray& head, const std::optional<JpegFrame>& frame,
                          QSize claimed, QSize decoded)
{
    qint64 perPixel = 4;
    DecodingCost cost;
    if (format == "png" && head.size() > 24 && uchar(head[24]) == 16)
        perPixel = 8 + 4;   // 64-bit pixels, then 32-bit ones
    else if (format == "gif" && head.size() >= 10) {
        // The decoder sets aside the whole logical screen, whatever size the
        // reader tells (that of the first frame).
        perPixel = 4 + 4;
        decoded = decoded.expandedTo(QSize(qFromLittleEndian<uint16_t>(head.constData() + 6),
                                           qFromLittleEndian<uint16_t>(head.constData() + 8)));
    } else if (format == "bmp" && head.size() > 29 && qFromLittleEndian<uint16_t>(head.constData() + 28) <= 8)
        perPixel = 1 + 4;   // palette indices, then 32-bit pixels
    else if (format == "jpeg") {
        if (frame && frame->progressive) {
            // 64 coefficients of 2 bytes for each 8 x 8 block of every
            // component, at the component's own sampling of the picture.
            int hMax = 1, vMax = 1;
            for (const auto& [h, v] : frame->sampling) {
                hMax = std::max(hMax, h);
                vMax = std::max(vMax, v);
            }
            for (const auto& [h, v] : frame->sampling) {
                const qint64 across = (qint64(claimed.width()) * h + 8 * hMax - 1) / (8 * hMax);
                const qint64 down = (qint64(claimed.height()) * v + 8 * vMax - 1) / (8 * vMax);
                cost.working += across * down * 64 * 2;
            }
        }
    }
    cost.image = qint64(decoded.width()) * decoded.height() * perPixel;
    return cost;
}

QImage readPicture(const QString& path, const std::optional<QSize>& bound, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QImage();
    };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("文件不存在：%1").arg(path));
    QFile file;
    QString why;
    if (!openRegularFile(file, path, &why))
        return fail(QStringLiteral("无法读取文件：%1（%2）").arg(path, why));

    const qint64 fileSize = file.size();
    const QString implausible = implausibleSizeClaim(file.peek(64), fileSize);
    if (!implausible.isEmpty())
        return fail(QStringLiteral("不是可识别的图像文件：%1（%2）").arg(info.fileName(), implausible));
    if (pngChunkRunsPastTheEnd(file, fileSize))
        return fail(QStringLiteral("不是可识别的图像文件：%1（文件被截断或已损坏）").arg(info.fileName()));

    const QByteArray head = file.peek(64);
    const std::optional<JpegFrame> jpegFrame = readJpegFrame(file);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    // A window that shows the picture whole may take the full limit; one that
    // shows it small decodes at most kBoundedDecodeLimitMb of image, and the
    // decoder's own buffers stay within the full limit too.
    const qint64 fullLimit = fullPictureLimitBytes(availableMemoryBytes());
    const qint64 limit = bound ? std::min(fullLimit, kBoundedDecodeLimitMb * kMegabyte) : fullLimit;
    reader.setAllocationLimit(int(std::max<qint64>(1, limit / kMegabyte)));
    const QSize claimed = reader.size();
    QSize target;   // valid: the reader scales to it
    if (claimed.isValid() && !claimed.isEmpty()) {
        QSize decoded = claimed;
        if (bound && (claimed.width() > bound->width() || claimed.height() > bound->height())) {
            target = claimed.scaled(*bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
            if (reader.format() == "jpeg")
                decoded = jpegDecodeSize(claimed, target);
        }
        const DecodingCost cost = decodingCost(reader.format(), head, jpegFrame, claimed, decoded);
        if (cost.image > limit || cost.image + cost.working > fullLimit)
            return fail(QStringLiteral("图像太大（%1 x %2），无法打开。").arg(claimed.width()).arg(claimed.height()));
        if (target.isValid())
            reader.setScaledSize(target);
    }
    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("不是可识别的图像文件：%1（%2）").arg(info.fileName(), reader.errorString()));
    if (bound && (image.width() > bound->width() || image.height() > bound->height()))
        image = image.scaled(*bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    const int fallback = defaultDotsPerMetre();
    if (image.dotsPerMeterX() <= 0 || image.dotsPerMeterX() == fallback)
        image.setDotsPerMeterX(kScreenDotsPerMetre);
    if (image.dotsPerMeterY() <= 0 || image.dotsPerMeterY() == fallback)
        image.setDotsPerMeterY(kScreenDotsPerMetre);
    return image;
}

}   // namespace

QImage loadPicture(const QString& path, QString* error) { return readPicture(path, std::nullopt, error); }

QImage loadPictureWithin(const QString& path, QSize bound, QString* error)
{
    return readPicture(path, bound.expandedTo(QSize(1, 1)), error);
}

namespace {

// The sizes of a 24-bit bottom-up BMP file of a picture.
struct Bmp24Shape {
    qint64 width = 0;
    qint64 height = 0;
    qint64 stride = 0;   // bytes per row, padded to four
    qint64 fileSize = 0;
};

// Empty when the picture is null or too large for the format.
}   // namespace

std::int64_t bmp24FileBytes(std::int64_t width, std::int64_t height)
{
    const std::int64_t stride = (std::max<std::int64_t>(width, 0) * 3 + 3) & ~std::int64_t(3);
    return 54 + stride * std::max<std::int64_t>(height, 0);
}

namespace {

std::optional<Bmp24Shape> bmp24Shape(const QImage& picture)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return std::nullopt;
    Bmp24Shape s;
    s.width = picture.width();
    s.height = picture.height();
    s.stride = (s.width * 3 + 3) & ~qint64(3);
    s.fileSize = bmp24FileBytes(s.width, s.height);
    if (s.fileSize > kMaxBmp24FileBytes)
        return std::nullopt;
    return s;
}

constexpr int kBmp24HeaderBytes = 54;

void putBmp24Header(char* p, const Bmp24Shape& s, const QImage& picture)
{
    std::memset(p, 0, kBmp24HeaderBytes);
    // BITMAPFILEHEADER
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, uint32_t(s.fileSize));
    put32(p + 10, kBmp24HeaderBytes);
    // BITMAPINFOHEADER
    put32(p + 14, 40);
    put32(p + 18, uint32_t(s.width));
    put32(p + 22, uint32_t(s.height));
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 30, 0);
    put32(p + 34, uint32_t(s.fileSize - kBmp24HeaderBytes));
    put32(p + 38, uint32_t(picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : kScreenDotsPerMetre));
    put32(p + 42, uint32_t(picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : kScreenDotsPerMetre));
}

// The file's pixel rows [first, first + count) (row 0 is the picture's bottom
// row) into `out`, stride bytes apart, padding zeroed. Pictures in other
// formats than 32-bit RGB are converted a band at a time, so writing a large
// picture never holds a second copy of it.
void putBmp24Rows(const QImage& picture, const Bmp24Shape& s, qint64 first, qint64 count, char* out)
{
    const bool direct = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
    QImage band;
    qint64 bandTop = 0;
    if (!direct) {
        bandTop = s.height - first - count;
        band = picture.copy(0, int(bandTop), int(s.width), int(count)).convertToFormat(QImage::Format_RGB32);
    }
    for (qint64 i = 0; i < count; ++i) {
        const qint64 row = s.height - 1 - (first + i);
        const QRgb* src = reinterpret_cast<const QRgb*>(direct ? picture.constScanLine(int(row))
                                                               : band.constScanLine(int(row - bandTop)));
        unsigned char* dst = reinterpret_cast<unsigned char*>(out + i * s.stride);
        for (qint64 x = 0; x < s.width; ++x) {
            dst[3 * x] = uchar(qBlue(src[x]));
            dst[3 * x + 1] = uchar(qGreen(src[x]));
            dst[3 * x + 2] = uchar(qRed(src[x]));
        }
        std::memset(dst + 3 * s.width, 0, size_t(s.stride - 3 * s.width));
    }
}

// Why a picture cannot be written to `path` at all; empty when it can be tried.
QString unwritableReason(const QImage& picture, const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("没有文件名。");
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return QStringLiteral("没有可保存的图像。");
    return {};
}

bool failWrite(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

QString writeFailure(const QString& path, const QString& why)
{
    return QStringLiteral("写入文件 %1 失败：%2").arg(path, why);
}

}   // namespace

QByteArray encodeBmp24(const QImage& picture)
{
    const std::optional<Bmp24Shape> shape = bmp24Shape(picture);
    if (!shape)
        return {};
    QByteArray out(int(shape->fileSize), '\0');
    putBmp24Header(out.data(), *shape, picture);
    putBmp24Rows(picture, *shape, 0, shape->height, out.data() + kBmp24HeaderBytes);
    return out;
}

QString writingCancelledReason() { return QStringLiteral("已取消。"); }

bool writeBmp24(const QImage& picture, const QString& path, QString* error, const WriteProgress& progress)
{
    if (const QString why = unwritableReason(picture, path); !why.isEmpty())
        return failWrite(error, why);
    const std::optional<Bmp24Shape> shape = bmp24Shape(picture);
    if (!shape)
        return failWrite(error, QStringLiteral("图像太大，无法保存为位图文件。"));

    clearUpperVectorState();
    // The rows go out a few megabytes at a time: the file never sits whole in memory.
    constexpr qint64 kBandBytes = 4 << 20;
    const qint64 bandRows = std::clamp<qint64>(kBandBytes / shape->stride, 1, shape->height);
    std::vector<char> buffer(size_t(std::max<qint64>(bandRows * shape->stride, kBmp24HeaderBytes)));

    AtomicFileWriter writer(path);
    putBmp24Header(buffer.data(), *shape, picture);
    bool ok = writer.open() && writer.write(buffer.data(), kBmp24HeaderBytes);
    for (qint64 first = 0; ok && first < shape->height; first += bandRows) {
        const qint64 count = std::min(bandRows, shape->height - first);
        putBmp24Rows(picture, *shape, first, count, buffer.data());
        ok = writer.write(buffer.data(), count * shape->stride);
        if (ok && progress && !progress(first + count, shape->height)) {
            writer.cancel();
            return failWrite(error, writingCancelledReason());
        }
    }
    if (ok && writer.commit(shape->fileSize))
        return true;
    return failWrite(error, writeFailure(path, writer.reason()));
}

bool writePng(const QImage& picture, const QString& path, QString* error, int threads)
{
    if (const QString why = unwritableReason(picture, path); !why.isEmpty())
        return failWrite(error, why);
    const QByteArray bytes = encodePng(picture, threads);
    if (bytes.isEmpty())
        return failWrite(error, QStringLiteral("无法编码 PNG 图像（内存不足）。"));
    QString why;
    if (saveFileAtomically(path, bytes, &why))
        return true;
    return failWrite(error, writeFailure(path, why));
}

}   // namespace lh
