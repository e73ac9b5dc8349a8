#include "platform/MachineMemory.h"

#include <QFile>

#include <algorithm>
#include <limits>

#include <sys/resource.h>
#include <unistd.h>

namespace lh {

namespace {

// A field of /proc/meminfo in bytes, or -1.
std::int64_t meminfoField(const QByteArray& name)
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith(name + ':'))
            continue;
        const QList<QByteArray> parts = line.mid(name.size() + 1).simplified().split(' ');
        bool ok = false;
        const std::int64_t kb = parts.value(0).toLongLong(&ok);
        return ok ? kb * 1024 : -1;
    }
    return -1;
}

// Bytes of address space the process already uses, or 0.
std::int64_t usedAddressSpace()
{
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const std::int64_t pages = file.readAll().simplified().split(' ').value(0).toLongLong(&ok);
    return ok ? pages * sysconf(_SC_PAGESIZE) : 0;
}

}   // namespace

std::int64_t freeMemoryBytes()
{
    std::int64_t free = meminfoField("MemAvailable");
    if (free < 0) {
        const long pages = sysconf(_SC_AVPHYS_PAGES);
        const long size = sysconf(_SC_PAGESIZE);
        free = pages > 0 && size > 0 ? std::int64_t(pages) * size : std::int64_t(1) << 30;
    }
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit{};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            const std::int64_t left = std::int64_t(limit.rlim_cur) - usedAddressSpace();
            free = std::min(free, std::max<std::int64_t>(0, left));
        }
    }
    return free;
}

}   // namespace lh
