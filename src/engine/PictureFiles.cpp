#include "engine/PictureFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>

#include <cstdint>
#include <limits>

namespace lh {

namespace {

// The dots per metre a fresh QImage gets when a file carries none.
int defaultDotsPerMetre()
{
    return QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
}

void put16(char* p, uint16_t v) { qToLittleEndian(v, p); }
void put32(char* p, uint32_t v) { qToLittleEndian(v, p); }

} // namespace

QImage loadPicture(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QImage();
    };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("文件不存在：%1").arg(path));
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("无法读取文件：%1").arg(path));

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kPictureAllocationLimitMb);
    const QSize size = reader.size();
    if (size.isValid()) {
        const qint64 bytes = qint64(size.width()) * size.height() * 4;
        if (bytes > qint64(kPictureAllocationLimitMb) * 1024 * 1024)
            return fail(QStringLiteral("图像太大（%1 x %2），无法打开。").arg(size.width()).arg(size.height()));
    }
    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("不是可识别的图像文件：%1（%2）").arg(info.fileName(), reader.errorString()));

    const int fallback = defaultDotsPerMetre();
    if (image.dotsPerMeterX() <= 0 || image.dotsPerMeterX() == fallback)
        image.setDotsPerMeterX(kScreenDotsPerMetre);
    if (image.dotsPerMeterY() <= 0 || image.dotsPerMeterY() == fallback)
        image.setDotsPerMeterY(kScreenDotsPerMetre);
    return image;
}

QByteArray encodeBmp24(const QImage& picture)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return {};
    const qint64 w = picture.width();
    const qint64 h = picture.height();
    const qint64 stride = (w * 3 + 3) & ~qint64(3);
    const qint64 pixelBytes = stride * h;
    const qint64 fileSize = 54 + pixelBytes;
    if (fileSize > std::numeric_limits<int32_t>::max())
        return {};

    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QByteArray out(int(fileSize), '\0');
    char* p = out.data();
    // BITMAPFILEHEADER
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, uint32_t(fileSize));
    put32(p + 10, 54);
    // BITMAPINFOHEADER
    put32(p + 14, 40);
    put32(p + 18, uint32_t(w));
    put32(p + 22, uint32_t(h));
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 30, 0);
    put32(p + 34, uint32_t(pixelBytes));
    put32(p + 38, uint32_t(picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : kScreenDotsPerMetre));
    put32(p + 42, uint32_t(picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : kScreenDotsPerMetre));
    for (qint64 y = 0; y < h; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(int(h - 1 - y)));
        unsigned char* dst = reinterpret_cast<unsigned char*>(p + 54 + y * stride);
        for (qint64 x = 0; x < w; ++x) {
            dst[3 * x] = uchar(qBlue(src[x]));
            dst[3 * x + 1] = uchar(qGreen(src[x]));
            dst[3 * x + 2] = uchar(qRed(src[x]));
        }
    }
    return out;
}

bool writeBmp24(const QImage& picture, const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("没有文件名。"));
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return fail(QStringLiteral("没有可保存的图像。"));
    const QByteArray bytes = encodeBmp24(picture);
    if (bytes.isEmpty())
        return fail(QStringLiteral("图像太大，无法保存为位图文件。"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(QStringLiteral("写入文件 %1 失败：%2").arg(path, why));
    }
    if (!file.commit())
        return fail(QStringLiteral("写入文件 %1 失败：%2").arg(path, file.errorString()));
    return true;
}

bool writePng(const QImage& picture, const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("没有文件名。"));
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return fail(QStringLiteral("没有可保存的图像。"));
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(picture))
            return fail(QStringLiteral("无法编码 PNG 图像：%1").arg(writer.errorString()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(QStringLiteral("写入文件 %1 失败：%2").arg(path, why));
    }
    if (!file.commit())
        return fail(QStringLiteral("写入文件 %1 失败：%2").arg(path, file.errorString()));
    return true;
}

} // namespace lh
