#include "pictures/PngEncoder.h"

#include "core/CpuState.h"

#include <QByteArrayView>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <thread>
#include <vector>

namespace lh {

namespace {

// Rows are converted and filtered a band at a time, so no second copy of
// the picture is ever made.
constexpr int kBandRows = 64;
// A piece on a thread of its own is at least this many rows.
constexpr int kMinPieceRows = 128;
constexpr int kFilterUp = 2;

// A chunk of the type whose data are the parts one after the other.
void appendChunk(QByteArray& out, const char type[4], std::initializer_list<QByteArrayView> parts)
{
    qsizetype size = 0;
    for (const QByteArrayView part : parts)
        size += part.size();
    char length[4];
    qToBigEndian(uint32_t(size), length);
    out.append(length, 4);
    const qsizetype typeAt = out.size();
    out.append(type, 4);
    for (const QByteArrayView part : parts)
        out.append(part);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(out.constData() + typeAt), uInt(size + 4));
    char crcBytes[4];
    qToBigEndian(uint32_t(crc), crcBytes);
    out.append(crcBytes, 4);
}

struct Piece {
    QByteArray deflated;
    uLong adler = 1;
    qint64 rawBytes = 0;
    bool ok = false;
};

// Row y of the picture as the file has it: the filter byte, then red, green,
// blue (and alpha) of each pixel less those of the pixel above ("Up"; the
// first row has nothing above it).
template <int Channels>
void filterRow(const QImage& picture, int y, uint8_t* out)
{
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    const int width = picture.width();
    out[0] = kFilterUp;
    uint8_t* p = out + 1;
    if (y == 0) {
        for (int x = 0; x < width; ++x, p += Channels) {
            p[0] = uint8_t(qRed(row[x]));
            p[1] = uint8_t(qGreen(row[x]));
            p[2] = uint8_t(qBlue(row[x]));
            if constexpr (Channels == 4)
                p[3] = uint8_t(qAlpha(row[x]));
        }
        return;
    }
    const auto* above = reinterpret_cast<const QRgb*>(picture.constScanLine(y - 1));
    for (int x = 0; x < width; ++x, p += Channels) {
        // Bytewise differences of the four channels at once, without carries
        // between them.
        const uint32_t c = row[x];
        const uint32_t a = above[x];
        const uint32_t d = ((c | 0x80808080u) - (a & 0x7F7F7F7Fu)) ^ ((c ^ ~a) & 0x80808080u);
        p[0] = uint8_t(d >> 16);
        p[1] = uint8_t(d >> 8);
        p[2] = uint8_t(d);
        if constexpr (Channels == 4)
            p[3] = uint8_t(d >> 24);
    }
}

// Rows [first, last) of the picture (RGB32 or ARGB32), filtered and deflated
// as one run of deflate blocks; the last piece of the picture ends the stream.
void deflatePiece(const QImage& picture, int channels, int first, int last, bool lastPiece, Piece& piece)
{
    const qsizetype rowBytes = 1 + qsizetype(picture.width()) * channels;
    std::vector<uint8_t> band(size_t(rowBytes) * kBandRows);

    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    std::vector<uint8_t> out(deflateBound(&z, uLong(rowBytes) * kBandRows) + 64);
    bool ok = true;
    for (int top = first; ok && top < last; top += kBandRows) {
        const int rows = std::min(kBandRows, last - top);
        for (int r = 0; r < rows; ++r) {
            uint8_t* row = band.data() + qsizetype(r) * rowBytes;
            if (channels == 4)
                filterRow<4>(picture, top + r, row);
            else
                filterRow<3>(picture, top + r, row);
        }
        const qsizetype bytes = qsizetype(rows) * rowBytes;
        piece.adler = adler32(piece.adler, band.data(), uInt(bytes));
        piece.rawBytes += bytes;
        const bool end = top + rows >= last;
        z.next_in = band.data();
        z.avail_in = uInt(bytes);
        // Pieces before the last end on a byte boundary without ending the stream.
        const int flush = !end ? Z_NO_FLUSH : (lastPiece ? Z_FINISH : Z_SYNC_FLUSH);
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            const int rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            piece.deflated.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0 || z.avail_in > 0);
    }
    deflateEnd(&z);
    piece.ok = ok;
}

}   // namespace

QByteArray encodePng(const QImage& picture, int threads)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return {};
    // Whatever drew the picture, the filtering and zlib run at SSE speed.
    clearUpperVectorState();
    const bool alpha = picture.hasAlphaChannel();
    const QImage source = picture.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (source.isNull())
        return {};
    const int channels = alpha ? 4 : 3;
    const int height = source.height();

    int pieces = threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency()));
    pieces = std::clamp(std::min(pieces, height / kMinPieceRows), 1, 16);
    std::vector<Piece> parts(static_cast<size_t>(pieces));
    std::vector<int> starts;
    for (int i = 0; i <= pieces; ++i)
        starts.push_back(int(qint64(height) * i / pieces));
    {
        std::vector<std::thread> workers;
        for (int i = 1; i < pieces; ++i)
            workers.emplace_back(deflatePiece, std::cref(source), channels, starts[size_t(i)], starts[size_t(i) + 1],
                                 i == pieces - 1, std::ref(parts[size_t(i)]));
        deflatePiece(source, channels, starts[0], starts[1], pieces == 1, parts[0]);
        for (std::thread& t : workers)
            t.join();
    }
    uLong adler = 1;
    for (const Piece& p : parts) {
        if (!p.ok)
            return {};
        adler = adler32_combine(adler, p.adler, z_off_t(p.rawBytes));
    }

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    qsizetype deflatedBytes = 0;
    for (const Piece& p : parts)
        deflatedBytes += p.deflated.size();
    out.reserve(8 + 25 + 21 + deflatedBytes + 12 * qsizetype(parts.size()) + 6 + 12);
    char header[13];
    qToBigEndian(uint32_t(source.width()), header);
    qToBigEndian(uint32_t(height), header + 4);
    header[8] = 8;                              // bits per sample
    header[9] = alpha ? 6 : 2;                  // RGBA or RGB
    header[10] = header[11] = header[12] = 0;   // deflate, adaptive filtering, not interlaced
    appendChunk(out, "IHDR", {QByteArrayView(header, 13)});
    if (source.dotsPerMeterX() > 0 && source.dotsPerMeterY() > 0) {
        char phys[9];
        qToBigEndian(uint32_t(source.dotsPerMeterX()), phys);
        qToBigEndian(uint32_t(source.dotsPerMeterY()), phys + 4);
        phys[8] = 1;   // the unit is the metre
        appendChunk(out, "pHYs", {QByteArrayView(phys, 9)});
    }
    // One zlib stream over the IDAT chunks: its header (deflate, 32 KB
    // window, fastest), the pieces in order, the checksum of all the rows.
    char sum[4];
    qToBigEndian(uint32_t(adler), sum);
    for (size_t i = 0; i < parts.size(); ++i) {
        const QByteArrayView head = i == 0 ? QByteArrayView("\x78\x01", 2) : QByteArrayView();
        const QByteArrayView tail = i + 1 == parts.size() ? QByteArrayView(sum, 4) : QByteArrayView();
        appendChunk(out, "IDAT", {head, parts[i].deflated, tail});
        parts[i].deflated.clear();
    }
    appendChunk(out, "IEND", {});
    return out;
}

}   // namespace lh
