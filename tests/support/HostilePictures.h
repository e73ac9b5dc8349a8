#pragma once
// Tiny picture files that claim large sizes, made byte by byte for the tests
// of the picture loaders.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QtEndian>

#include <cstdint>

namespace lh::test {

// An uncompressed 24-bit BMP header claiming w x h pixels (a negative height
// is a top-down picture), padded with zeros to `fileSize` bytes.
inline QByteArray bmpClaiming(int32_t w, int32_t h, int fileSize = 70, uint32_t compression = 0, int bits = 24)
{
    QByteArray b(std::max(fileSize, 54), '\0');
    char* p = b.data();
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<uint32_t>(uint32_t(b.size()), p + 2);
    qToLittleEndian<uint32_t>(54, p + 10);
    qToLittleEndian<uint32_t>(40, p + 14);
    qToLittleEndian<int32_t>(w, p + 18);
    qToLittleEndian<int32_t>(h, p + 22);
    qToLittleEndian<uint16_t>(1, p + 26);
    qToLittleEndian<uint16_t>(uint16_t(bits), p + 28);
    qToLittleEndian<uint32_t>(compression, p + 30);
    qToLittleEndian<uint32_t>(2835, p + 38);
    qToLittleEndian<uint32_t>(2835, p + 42);
    return b;
}

inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A small real JPEG whose frame header claims w x h pixels: the decoder
// runs out of data after the first few blocks.
inline QByteArray jpegClaiming(uint16_t w, uint16_t h)
{
    QImage img(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            img.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
    QByteArray b = encoded(img, "jpg");
    const qsizetype sof = b.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    // FF C0, length (2), precision (1), height (2), width (2)
    qToBigEndian<uint16_t>(h, b.data() + sof + 5);
    qToBigEndian<uint16_t>(w, b.data() + sof + 7);
    return b;
}

inline uint32_t crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    QByteArray typed = QByteArray(type, 4) + data;
    QByteArray out(4, '\0');
    qToBigEndian<uint32_t>(uint32_t(data.size()), out.data());
    out += typed;
    QByteArray crc(4, '\0');
    qToBigEndian<uint32_t>(crc32(typed), crc.data());
    return out + crc;
}

// A PNG of w x h pixels, 8-bit samples of `colourType` (0 grey, 6 RGBA),
// whose rows are all zeros. With `rows` below h the image data stops early:
// a file far too short for the pixels it claims. With rows == h it is a
// real (if big) picture that compresses about a thousand to one.
inline QByteArray pngOfZeros(uint32_t w, uint32_t h, uint32_t rows, int colourType = 0)
{
    const int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : 1;
    QByteArray ihdr(13, '\0');
    qToBigEndian<uint32_t>(w, ihdr.data());
    qToBigEndian<uint32_t>(h, ihdr.data() + 4);
    ihdr[8] = 8;
    ihdr[9] = char(colourType);
    const QByteArray raw(qsizetype(rows) * (1 + qsizetype(w) * channels), '\0');
    const QByteArray zlib = qCompress(raw, 9).mid(4);   // qCompress puts the length first
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", zlib)
           + pngChunk("IEND", QByteArray());
}

}   // namespace lh::test
