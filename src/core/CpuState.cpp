#include "core/CpuState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace lh {

#if defined(__x86_64__) || defined(__i386__)

namespace {

__attribute__((target("avx"))) void zeroUpper() { _mm256_zeroupper(); }

}   // namespace

void clearUpperVectorState()
{
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        zeroUpper();
}

bool hasWideVectorUnits()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
                            && __builtin_cpu_supports("avx512vl");
    return has;
}

#else

void clearUpperVectorState() {}

bool hasWideVectorUnits() { return false; }

#endif

}   // namespace lh
