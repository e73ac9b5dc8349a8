#pragma once
// PNG files of the program's pictures, made quickly: an export at print size
// is tens of megabytes of pixels. Rows are filtered with the "Up" filter and
// deflated at zlib's fastest level in pieces on several threads; the pieces
// are flushed to byte boundaries and joined into the one zlib stream a PNG
// file carries, so every decoder reads the file as any other.

#include <QByteArray>
#include <QImage>

namespace lh {

// The bytes of a PNG file of the picture: 8-bit RGB, or RGBA when the
// picture has an alpha channel, with its resolution (the image's dots per
// metre) in a pHYs chunk. `threads` 0: as many as the machine has. Empty when
// the picture is null.
QByteArray encodePng(const QImage& picture, int threads = 0);

}   // namespace lh
