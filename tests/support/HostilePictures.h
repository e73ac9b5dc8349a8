#pragma once
// Tiny picture files that claim large sizes, made byte by byte for the tests
// of the picture loaders.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "TestImages.h"

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

// A real progressive JPEG of the picture.
inline QByteArray encodedProgressive(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    return writer.write(image) ? bytes : QByteArray();
}

// A small real JPEG whose frame header claims w x h pixels: the decoder
// runs out of data after the first few blocks. A progressive one makes the
// decoder set aside (and clear) every coefficient of the claimed size.
inline QByteArray jpegClaiming(uint16_t w, uint16_t h, bool progressive = false)
{
    const QImage img = patterned(64, 64);
    QByteArray b = progressive ? encodedProgressive(img) : encoded(img, "jpg");
    const qsizetype sof = b.indexOf(QByteArray(progressive ? "\xFF\xC2" : "\xFF\xC0", 2));
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

// A PNG of w x h pixels of `depth`-bit samples of `colourType` (0 grey, 6
// RGBA) holding one row of zeros, padded with a private ancillary chunk to
// `fileSize` bytes so that its size does not give it away.
inline QByteArray pngPaddedClaiming(uint32_t w, uint32_t h, int depth, int colourType, int fileSize)
{
    const int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : 1;
    QByteArray ihdr(13, '\0');
    qToBigEndian<uint32_t>(w, ihdr.data());
    qToBigEndian<uint32_t>(h, ihdr.data() + 4);
    ihdr[8] = char(depth);
    ihdr[9] = char(colourType);
    const QByteArray row(1 + qsizetype(w) * channels * depth / 8, '\0');
    const QByteArray head = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr);
    const QByteArray tail = pngChunk("IDAT", qCompress(row, 9).mid(4)) + pngChunk("IEND", QByteArray());
    const qsizetype pad = std::max<qsizetype>(0, fileSize - head.size() - tail.size() - 12);
    return head + pngChunk("prVt", QByteArray(pad, 'p')) + tail;
}

// A GIF whose logical screen is w x h pixels holding one 4 x 3 picture at its
// corner, padded with a comment to about `fileSize` bytes.
inline QByteArray gifPaddedClaiming(uint16_t w, uint16_t h, int fileSize)
{
    QByteArray b("GIF89a");
    char screen[7] = {};
    qToLittleEndian<uint16_t>(w, screen);
    qToLittleEndian<uint16_t>(h, screen + 2);
    screen[4] = char(0x80 | 0x01);   // a global table of 4 colours
    b += QByteArray(screen, 7);
    b += QByteArray::fromHex("000000ff000000ff000000ff");
    while (b.size() + 260 < fileSize) {   // comment blocks of 255 bytes
        b += QByteArray::fromHex("21fe");
        b += char(255) + QByteArray(255, 'c') + char(0);
    }
    char image[10] = {0x2c};
    qToLittleEndian<uint16_t>(4, image + 5);
    qToLittleEndian<uint16_t>(3, image + 7);
    b += QByteArray(image, 10);
    // LZW with 2-bit codes: a clear code (4) before each pixel keeps every
    // code 3 bits wide; then the end code (5).
    std::vector<int> codes;
    for (int i = 0; i < 12; ++i) {
        codes.push_back(4);
        codes.push_back(i % 4);
    }
    codes.push_back(5);
    QByteArray data;
    uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= uint32_t(code) << count;
        count += 3;
        while (count >= 8) {
            data += char(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        data += char(bits & 0xFF);
    b += char(2);   // the smallest code size
    b += char(data.size()) + data + char(0);
    b += char(0x3b);
    return b;
}

}   // namespace lh::test
