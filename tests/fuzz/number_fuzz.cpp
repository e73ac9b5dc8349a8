// libFuzzer target: the number reader of the text boxes on any text (the
// bytes read as UTF-8 and, for a second try, as UTF-16). It either returns a
// finite number or throws StepFailure; nothing else.

#include "core/Numeric.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(const QString& text)
{
    try {
        const double v = lh::parseNumber(text);
        if (!std::isfinite(v))
            std::abort();
        // What the boxes do next with a number.
        try {
            (void)lh::toInt32(v);
        } catch (const lh::StepFailure&) {
        }
    } catch (const lh::StepFailure&) {
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    std::u16string wide(size / 2, u'\0');
    std::memcpy(wide.data(), data, wide.size() * 2);
    check(QString::fromStdU16String(wide));
    return 0;
}
