// The vector registers' upper halves after the engine has used Qt: left in
// use, they slow every SSE loop that follows (measured: an export's encoding
// at a third of its speed).

#include "core/CpuState.h"
#include "engine/raster/TextMasks.h"

#include <QFont>

#include <gtest/gtest.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

#if defined(__x86_64__)
// Whether the processor tells which register states are in use (XGETBV 1).
bool canTellStateInUse()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__builtin_cpu_supports("avx") || !__get_cpuid_count(0xD, 1, &a, &b, &c, &d))
        return false;
    return (a & (1u << 2)) != 0;
}

bool upperHalvesInUse()
{
    unsigned lo = 0, hi = 0;
    asm volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
    return (lo & (1u << 2)) != 0;   // the AVX state: upper halves of ymm0-15
}

// As a library routine built for AVX may leave them (the compiler adds no
// vzeroupper to a plain function; callers check for AVX first).
void useUpperHalves() { asm volatile("vpcmpeqd %%ymm1, %%ymm1, %%ymm1" ::: "xmm1"); }
#endif

}   // namespace

TEST(UpperVectorState, IsClearAfterTheEngineRendersTextWithQt)
{
#if defined(__x86_64__)
    if (!canTellStateInUse())
        GTEST_SKIP() << "the processor does not tell its register state";
    useUpperHalves();
    ASSERT_TRUE(upperHalvesInUse());
    lh::clearUpperVectorState();
    EXPECT_FALSE(upperHalvesInUse());

    // Qt's fills and glyph blending leave them in use; the text mask does not.
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(300);
    for (int turn : {0, 450, 900}) {
        const lh::raster::TextMask mask = lh::raster::renderTextMask(font, QStringLiteral("生日快乐"), 300, turn, {});
        EXPECT_GT(mask.width, 0);
        EXPECT_FALSE(upperHalvesInUse()) << "after a mask turned by " << turn;
    }
#else
    GTEST_SKIP() << "only x86 processors have the state";
#endif
}
