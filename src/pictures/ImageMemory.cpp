#include "pictures/ImageMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <new>

namespace lh {

namespace {

constexpr qint64 kHugePage = qint64(2) << 20;

struct Mapping {
    void* start;
    size_t length;
};

void unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->start, mapping->length);
    delete mapping;
}

bool fourBytesAPixel(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
           || format == QImage::Format_ARGB32_Premultiplied;
}

}   // namespace

QImage newImage(QSize size, QImage::Format format)
{
    if (size.width() < 1 || size.height() < 1)
        return {};
    const qint64 bytesPerLine = qint64(size.width()) * 4;
    const qint64 bytes = bytesPerLine * size.height();
    if (!fourBytesAPixel(format) || bytes < kLargeImageBytes) {
        try {
            return QImage(size, format);
        } catch (const std::bad_alloc&) {
            return {};
        }
    }
    if (bytesPerLine > std::numeric_limits<int>::max() || bytes > std::numeric_limits<qsizetype>::max() - kHugePage)
        return {};
    // An image larger than the machine's memory could never be filled.
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0 && bytes > qint64(pages) * pageSize)
        return {};
    // Whole huge pages, on a huge page's boundary: map one more and give back
    // what lies before and after.
    const size_t length = size_t((bytes + kHugePage - 1) / kHugePage * kHugePage);
    const size_t mapped = length + size_t(kHugePage);
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return {};
    const auto rawAddress = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (rawAddress + uintptr_t(kHugePage) - 1) & ~(uintptr_t(kHugePage) - 1);
    if (aligned > rawAddress)
        ::munmap(raw, aligned - rawAddress);
    if (const size_t tail = mapped - (aligned - rawAddress) - length; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* start = reinterpret_cast<void*>(aligned);
    // A hint: where huge pages are not to be had the memory works as any other.
    ::madvise(start, length, MADV_HUGEPAGE);
    auto* mapping = new (std::nothrow) Mapping{start, length};
    if (!mapping) {
        ::munmap(start, length);
        return {};
    }
    QImage image(static_cast<uchar*>(start), size.width(), size.height(), bytesPerLine, format, unmap, mapping);
    if (image.isNull()) {
        unmap(mapping);
        return {};
    }
    return image;
}

}   // namespace lh
