#pragma once
// For probe processes: caps the address space `extra` bytes above what the
// process uses when called, so that a reader that asks for more fails in the
// probe instead of taking the machine's memory.

#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

namespace lh::test {

inline void capAddressSpaceAbove(rlim_t extra)
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    const long pages = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ').value(0).toLong() : 0;
    const rlim_t cap = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + extra;
    const rlimit limit{cap, cap};
    ::setrlimit(RLIMIT_AS, &limit);
}

}   // namespace lh::test
