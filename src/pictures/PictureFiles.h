#pragma once
// Picture files: loading BMP, JPEG and GIF pictures without trusting the file,
// and writing a picture as a 24-bit BMP or a PNG file in one atomic step.

#include <QByteArray>
#include "pictures/ImageMemory.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

namespace lh {

// 96 dots per inch in dots per metre: the screen resolution the windows assume.
inline constexpr int kScreenDotsPerMetre = 3780;

// Largest picture the loader accepts, in megabytes of decoded image.
inline constexpr int kPictureAllocationLimitMb = 512;
// Largest full decode a bounded load makes (formats that cannot decode at a
// reduced size are decoded whole and then scaled down).
inline constexpr int kBoundedDecodeLimitMb = 64;

// The memory a full picture may take, given the memory the machine has
// available (bytes; 0 or less: unknown): kPictureAllocationLimitMb, or half of
// what is available when that is less, so the window can still show it.
qint64 fullPictureLimitBytes(qint64 availableBytes);

// A reason when the first bytes of a file (at least 64 where the file has
// them) claim more pixels than a file of `fileSize` bytes can hold: an
// uncompressed BMP with less than half its pixel rows, a PNG or GIF smaller
// than the best compression could make its pixels. Empty when the claim is plausible
// or the format does not tell.
QString implausibleSizeClaim(const QByteArray& head, qint64 fileSize);

// Loads a picture file whole, for windows that show or print it at its own
// size. Only regular files are opened. A picture larger than the machine can
// hold (fullPictureLimitBytes) or whose header claims more pixels than the
// file can carry is refused. On failure returns a null image and, when asked,
// a reason for the user. A file that carries no resolution gets 96 dpi.
QImage loadPicture(const QString& path, QString* error = nullptr);

// Loads a picture for a window that never shows it larger than `bound`: the
// result fits within `bound` (aspect ratio kept). JPEG decodes at a reduced
// size; other formats are decoded whole only up to kBoundedDecodeLimitMb.
QImage loadPictureWithin(const QString& path, QSize bound, QString* error = nullptr);

// The bytes a 24-bit BMP file of a picture of that size takes (rows padded
// to four bytes), and the most the program writes: files over 2 GB are
// refused, as many readers take the format's size fields as signed.
std::int64_t bmp24FileBytes(std::int64_t width, std::int64_t height);
inline constexpr std::int64_t kMaxBmp24FileBytes = 0x7FFFFFFF;

// The bytes of a 24-bit bottom-up BMP file of the picture (empty when the
// picture is null or too large for the format).
QByteArray encodeBmp24(const QImage& picture);

// Told, between pieces of a long write, the rows written out of all; false
// cancels the write.
using WriteProgress = std::function<bool(qint64 done, qint64 total)>;

// The reason a cancelled write gives.
QString writingCancelledReason();

// Writes the picture as a 24-bit BMP file, a band of rows at a time (the file
// is never held whole in memory). The file appears whole or not at all: a
// failed or cancelled write leaves no partial file, keeps an existing one as
// it was, and returns false with a reason.
bool writeBmp24(const QImage& picture, const QString& path, QString* error = nullptr,
                const WriteProgress& progress = {});

// Writes the picture as a PNG file carrying its resolution (the image's dots
// per metre). Encoded in memory first (encodePng), then written in one atomic
// step like writeBmp24. `threads` as encodePng takes it (0: every core).
bool writePng(const QImage& picture, const QString& path, QString* error = nullptr, int threads = 0);

}   // namespace lh
