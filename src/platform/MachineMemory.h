#pragma once
// How much memory the program may still take before the machine runs short.

#include <cstdint>

namespace lh {

// Bytes of memory still free for this program: the memory the system says is
// available, lowered to what an address-space or data limit of the process
// still allows. A generous guess where the system says nothing.
std::int64_t freeMemoryBytes();

}   // namespace lh
