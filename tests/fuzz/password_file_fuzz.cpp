// libFuzzer target: the password file reader on any bytes. The reader must
// never crash; a record it decodes must encode back to a record that decodes
// to the same password.

#include "login/PasswordFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lh::login;
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto field = firstField(content);
    if (!field)
        return 0;
    const auto decoded = decodeField(*field);
    if (!decoded)
        return 0;
    if (decoded->size() > kMaxStoredLength)
        std::abort();
    (void)loginPart(*decoded);
    // Every decoded password fits one byte per character before the shift;
    // when its record can be written, reading it back gives it again.
    if (const auto record = encodePasswordRecord(*decoded)) {
        const auto again = firstField(*record);
        if (!again || decodeField(*again) != decoded)
            std::abort();
    }
    return 0;
}
