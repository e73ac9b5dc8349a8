#include "pictures/ImageMemory.h"
#include <sys/resource.h>
#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <new>

namespace lh {

namespace {

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
}

// What the memory limit of the process's control group (cgroup v2) leaves,
// or 0 when there is none.
qint64 controlGroupRoom()
{
    for (const QByteArray& line : readSmallFile(QStringLiteral("/proc/self/cgroup")).split('\n')) {
        if (!line.startsWith("0::"))
            continue;
        const QString group = QStringLiteral("/sys/fs/cgroup") + QString::fromLocal8Bit(line.mid(3).trimmed());
        bool maxOk = false, currentOk = false;
        const qint64 max = readSmallFile(group + QStringLiteral("/memory.max")).trimmed().toLongLong(&maxOk);
        const qint64 current =
            readSmallFile(group + QStringLiteral("/memory.current")).trimmed().toLongLong(&currentOk);
        if (maxOk && currentOk)
            return std::max<qint64>(1, max - current);
    }
    return 0;
}

}   // namespace

qint64 availableMemoryBytes()
{
    qint64 available = 0;
    // "MemAvailable:   12345678 kB"
    for (const QByteArray& line : readSmallFile(QStringLiteral("/proc/meminfo")).split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        bool ok = false;
        const qint64 kb = parts.size() >= 2 ? parts.at(1).toLongLong(&ok) : 0;
        if (ok)
            available = kb * 1024;
    }
    const qint64 room = controlGroupRoom();
    if (room > 0)
        available = available > 0 ? std::min(available, room) : room;
    if (available <= 0) {
        const long pages = ::sysconf(_SC_AVPHYS_PAGES);
        const long size = ::sysconf(_SC_PAGESIZE);
        available = pages > 0 && size > 0 ? qint64(pages) * size : qint64(1) << 30;
    }
    // What an address-space or data limit of the process still allows.
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit{};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            const QList<QByteArray> statm = readSmallFile(QStringLiteral("/proc/self/statm")).simplified().split(' ');
            const qint64 used = statm.value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
            available = std::min(available, std::max<qint64>(0, qint64(limit.rlim_cur) - used));
        }
    }
    return available;
}

qint64 pictureBytesAllowed(qint64 availableBytes) { return std::max<qint64>(0, availableBytes) / 2; }


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
    // The one rule for every picture: at most half the memory available.
    if (bytes > pictureBytesAllowed(availableMemoryBytes()))
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
