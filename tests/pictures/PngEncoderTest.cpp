#include "pictures/PngEncoder.h"

#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

#include "TestImages.h"

#include <vector>

using namespace lh;
using test::patterned;

namespace {

struct Chunk {
    QByteArray type;
    QByteArray data;
    bool crcOk = false;
};

// The chunks of a PNG file, read without any PNG library; empty when the
// signature or a chunk's length is wrong.
std::vector<Chunk> chunksOf(const QByteArray& png)
{
    std::vector<Chunk> chunks;
    if (!png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        return {};
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (at + 12 + length > png.size())
            return {};
        Chunk c;
        c.type = png.mid(at + 4, 4);
        c.data = png.mid(at + 8, length);
        const uLong crc =
            crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(png.constData() + at + 4), uInt(length + 4));
        c.crcOk = crc == qFromBigEndian<quint32>(png.constData() + at + 8 + length);
        chunks.push_back(c);
        at += 12 + length;
    }
    return at == png.size() ? chunks : std::vector<Chunk>{};
}

}   // namespace

// Every picture comes back pixel for pixel through Qt's own decoder, and the
// file holds up to a reading of its own: chunk checksums, one zlib stream
// whose checksum zlib verifies, a filter byte on every row.
TEST(PngEncoding, EveryPixelComesBackWhateverTheNumberOfPieces)
{
    struct Case {
        int w, h;
        QImage::Format format;
        bool seeThrough;
    };
    const Case cases[] = {
        {1, 1, QImage::Format_RGB32, false},     {33, 7, QImage::Format_RGB888, false},
        {300, 517, QImage::Format_RGB32, false},   // pieces of 128 rows and more
        {64, 300, QImage::Format_ARGB32, true},  {40, 260, QImage::Format_ARGB32_Premultiplied, true},
    };
    for (const Case& c : cases) {
        QImage source = patterned(c.w, c.h).convertToFormat(c.format);
        if (c.seeThrough)
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; x += 3)
                    source.setPixelColor(x, y, QColor(x % 256, y % 256, 90, (x + y) % 256));
        source.setDotsPerMeterX(11811);
        source.setDotsPerMeterY(7559);
        const QImage expect = source.convertToFormat(c.seeThrough ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int threads : {1, 2, 3, 16}) {
            SCOPED_TRACE(testing::Message()
                         << c.w << "x" << c.h << " format " << c.format << ", " << threads << " thread(s)");
            const QByteArray png = encodePng(source, threads);
            ASSERT_FALSE(png.isEmpty());

            const std::vector<Chunk> chunks = chunksOf(png);
            ASSERT_GE(chunks.size(), 4u);
            EXPECT_EQ(chunks.front().type, "IHDR");
            EXPECT_EQ(chunks.back().type, "IEND");
            QByteArray stream;
            for (const Chunk& chunk : chunks) {
                EXPECT_TRUE(chunk.crcOk) << chunk.type.constData();
                if (chunk.type == "IDAT")
                    stream += chunk.data;
            }
            const int channels = c.seeThrough ? 4 : 3;
            std::vector<Bytef> rows(size_t(c.h) * (1 + size_t(c.w) * channels) + 1);
            uLongf size = uLongf(rows.size());
            ASSERT_EQ(uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(stream.constData()),
                                 uLong(stream.size())),
                      Z_OK);
            ASSERT_EQ(size, rows.size() - 1);
            for (int y = 0; y < c.h; ++y)
                ASSERT_LE(rows[size_t(y) * (1 + size_t(c.w) * channels)], 4) << "filter of row " << y;

            const QImage back = QImage::fromData(png, "PNG");
            ASSERT_FALSE(back.isNull());
            EXPECT_EQ(back.dotsPerMeterX(), 11811);
            EXPECT_EQ(back.dotsPerMeterY(), 7559);
            EXPECT_EQ(back.hasAlphaChannel(), c.seeThrough);
            const QImage got = back.convertToFormat(expect.format());
            ASSERT_EQ(got.size(), expect.size());
            if (got != expect) {
                for (int y = 0; y < c.h; ++y) {
                    for (int x = 0; x < c.w; ++x) {
                        ASSERT_EQ(got.pixel(x, y), expect.pixel(x, y)) << "at " << x << "," << y;
                    }
                }
            }
        }
    }
    EXPECT_TRUE(encodePng(QImage()).isEmpty());
}
