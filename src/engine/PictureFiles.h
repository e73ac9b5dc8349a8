#pragma once
// Picture files: loading BMP, JPEG and GIF pictures without trusting the file,
// and writing a picture as a 24-bit BMP or a PNG file in one atomic step.

#include <QImage>
#include <QString>

namespace lh {

// 96 dots per inch in dots per metre: the screen resolution the windows assume.
inline constexpr int kScreenDotsPerMetre = 3780;

// Largest picture the loader accepts, in megabytes of decoded image.
inline constexpr int kPictureAllocationLimitMb = 512;

// Loads a picture file. On failure returns a null image and, when asked, a
// reason for the user. A file that carries no resolution gets 96 dpi.
QImage loadPicture(const QString& path, QString* error = nullptr);

// The bytes of a 24-bit bottom-up BMP file of the picture (empty when the
// picture is null or too large for the format).
QByteArray encodeBmp24(const QImage& picture);

// Writes the picture as a 24-bit BMP file. The file appears whole or not at
// all: a failed write leaves no partial file and returns false with a reason.
bool writeBmp24(const QImage& picture, const QString& path, QString* error = nullptr);

// Writes the picture as a PNG file carrying its resolution (the image's dots
// per metre). Encoded in memory first, then written in one atomic step like
// writeBmp24.
bool writePng(const QImage& picture, const QString& path, QString* error = nullptr);

} // namespace lh
