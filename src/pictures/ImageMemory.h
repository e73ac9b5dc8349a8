#pragma once
// Large images with memory of their own. A fresh image of tens of megabytes
// (a design drawn at print size, a wallpaper canvas) is otherwise touched one
// small page at a time, and that first touch can cost more than the drawing.
// Here its pixels are asked for in huge pages where the system grants them.

#include <QImage>
#include <QSize>

namespace lh {

// How much memory a picture may take, the one rule for the picture loader,
// the wallpaper maker and large images: half the memory available.
// The memory available: what the system says is available, lowered to what
// the process's control group and its address-space or data limits allow.
qint64 availableMemoryBytes();
qint64 pictureBytesAllowed(qint64 availableBytes);

// Images below this many bytes are ordinary QImages.
inline constexpr qint64 kLargeImageBytes = qint64(4) << 20;

// A new image of the size and format, its pixels not yet set (like QImage's
// own constructor). Null when the size is empty, more than a picture may take
// (pictureBytesAllowed), or the memory cannot be had.
// It behaves as any QImage: copies share it until one is written, and its
// memory goes back to the system when the last copy is gone.
QImage newImage(QSize size, QImage::Format format);

}   // namespace lh
