#pragma once

#include "platform/accelerate/InstructionLevel.h"

#include <bit>
#include <cstdint>

// Vector types shared by the vImage operations. The loops are written once
// over the compiler's generic vectors as always-inlined bodies (VIMAGE_BODY);
// each operation builds them for every instruction level with thin wrappers
// marked ROTIX_TARGET_X86_64_V3 or _V4, chosen through an
// InstructionLevelTable when the operation runs. Where the compiler's generic
// code falls short at a level, that level has its own version in intrinsics
// beside the generic one.
#define VIMAGE_BODY __attribute__((always_inline)) inline

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
// baseline may not hand a wide vector to a caller compiled for a wider level.
typedef uint8_t u8x8Unaligned __attribute__((vector_size(8), aligned(1), may_alias));
typedef uint8_t u8x16Unaligned __attribute__((vector_size(16), aligned(1), may_alias));
typedef uint16_t u16x8Unaligned __attribute__((vector_size(16), aligned(1), may_alias));
typedef uint16_t u16x16Unaligned __attribute__((vector_size(32), aligned(1), may_alias));
typedef uint64_t u64x2Unaligned __attribute__((vector_size(16), aligned(1), may_alias));
typedef int32_t i32x16Unaligned __attribute__((vector_size(64), aligned(1), may_alias));

// (typedef, not using: clang keeps the reduced alignment only on a typedef.)
static_assert(alignof(i32x16Unaligned) == 1);

#define VIMAGE_LOAD(Type, pointer) (*reinterpret_cast<const vimage::Type##Unaligned*>(pointer))
#define VIMAGE_STORE(Type, pointer, value)                                                         \
    (*reinterpret_cast<vimage::Type##Unaligned*>(pointer) = (value))

} // namespace vimage
