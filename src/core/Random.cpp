#include "core/Random.h"

#include <chrono>

namespace lh {

namespace {
RandomSource* g_override = nullptr;

SeededRandom& defaultSource()
{
    static SeededRandom source(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()
                                   ^ std::chrono::system_clock::now().time_since_epoch().count()));
    return source;
}
}   // namespace

RandomSource& programRandom() { return g_override ? *g_override : defaultSource(); }

RandomSource* replaceProgramRandom(RandomSource* source)
{
    RandomSource* previous = g_override;
    g_override = source;
    return previous;
}

}   // namespace lh
