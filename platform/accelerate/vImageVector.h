#pragma once

#include <cstdint>

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

// The same vectors at any address, for loads and stores. These are
// expressions rather than helper functions, because a helper compiled for the
// baseline may not hand a wide vector to a caller compiled for a wider set.
using u8x8Unaligned = uint8_t __attribute__((vector_size(8), aligned(1), may_alias));
using u8x16Unaligned = uint8_t __attribute__((vector_size(16), aligned(1), may_alias));
using u16x8Unaligned = uint16_t __attribute__((vector_size(16), aligned(1), may_alias));
using u16x16Unaligned = uint16_t __attribute__((vector_size(32), aligned(1), may_alias));
using u64x2Unaligned = uint64_t __attribute__((vector_size(16), aligned(1), may_alias));
using i32x16Unaligned = int32_t __attribute__((vector_size(64), aligned(1), may_alias));

#define VIMAGE_LOAD(Type, pointer) (*reinterpret_cast<const vimage::Type##Unaligned*>(pointer))
#define VIMAGE_STORE(Type, pointer, value)                                                         \
    (*reinterpret_cast<vimage::Type##Unaligned*>(pointer) = (value))

} // namespace vimage
