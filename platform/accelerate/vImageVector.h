#pragma once

#include <cstdint>
#include <cstring>

#include <bit>

// Vector types and dispatch shared by the vImage operations. The loops are
// written once over the compiler's generic vectors; every function marked
// VIMAGE_DISPATCH is compiled for the baseline x86-64 and again for the two
// wider instruction sets, and the loader picks the best the machine has.
// Defining it empty on the command line measures the baseline alone.
#ifndef VIMAGE_DISPATCH
#define VIMAGE_DISPATCH                                                                            \
    __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#endif

// Pixels are read as 32-bit lanes with channel 0 in the low byte.
static_assert(std::endian::native == std::endian::little);

// The vectors only travel between functions of one file, which are compiled
// together, so the note that wide vectors change the calling convention does
// not concern them.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace vimage {

using u8x8 = uint8_t __attribute__((vector_size(8)));
using u8x16 = uint8_t __attribute__((vector_size(16)));
using u16x8 = uint16_t __attribute__((vector_size(16)));
using u64x2 = uint64_t __attribute__((vector_size(16)));
using u16x16 = uint16_t __attribute__((vector_size(32)));
using u64x4 = uint64_t __attribute__((vector_size(32)));
using u32x16 = uint32_t __attribute__((vector_size(64)));
using i32x16 = int32_t __attribute__((vector_size(64)));
using f32x16 = float __attribute__((vector_size(64)));

template <class T>
inline T loadUnaligned(const void* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <class T>
inline void storeUnaligned(void* p, const T& value) {
    std::memcpy(p, &value, sizeof value);
}

} // namespace vimage
