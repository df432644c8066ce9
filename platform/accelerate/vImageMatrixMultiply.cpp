#include "platform/accelerate/vImage.h"
#include "platform/accelerate/vImageVector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

using namespace vimage;

struct MatrixJob {
    int32_t coefficients[16];
    // The pre-bias folded into the post-bias, per destination channel.
    int64_t bias[4];
    int32_t divisor;
    // The same in single precision over the divisor, for the vector path,
    // where the divisor is a power of two and so the quotients exact.
    float floatCoefficients[16];
    float floatBias[4];
};

// The plain formula for one pixel with a power-of-two divisor: the shift
// rounds toward minus infinity and the result is clamped to a byte.
void multiplyPixel(const MatrixJob& job, int shift, const uint8_t* p, uint8_t* out) {
    for (int j = 0; j < 4; ++j) {
        int32_t sum = static_cast<int32_t>(job.bias[j]);
        for (int i = 0; i < 4; ++i)
            sum += p[i] * job.coefficients[i * 4 + j];
        out[j] = static_cast<uint8_t>(std::clamp(sum >> shift, 0, 255));
    }
}

// The vectors of one step, by lane count (typedefs: the compiler drops
// vector attributes on dependent aliases).
template <int Lanes>
struct LaneVectors;
template <>
struct LaneVectors<4> {
    typedef int32_t Ints __attribute__((vector_size(16)));
    typedef float Floats __attribute__((vector_size(16)));
    typedef int32_t IntsUnaligned __attribute__((vector_size(16), aligned(1), may_alias));
};
template <>
struct LaneVectors<8> {
    typedef int32_t Ints __attribute__((vector_size(32)));
    typedef float Floats __attribute__((vector_size(32)));
    typedef int32_t IntsUnaligned __attribute__((vector_size(32), aligned(1), may_alias));
};
template <>
struct LaneVectors<16> {
    typedef int32_t Ints __attribute__((vector_size(64)));
    typedef float Floats __attribute__((vector_size(64)));
    typedef int32_t IntsUnaligned __attribute__((vector_size(64), aligned(1), may_alias));
};

// Lanes pixels per step, one pixel per 32-bit lane, in single precision:
// every product and sum stays below 2^24 (the caller checks), so the float
// arithmetic is exact, and with coefficients and bias already divided by the
// power-of-two divisor it stays exact. Truncation then differs from the shift's rounding only below zero,
// which the clamp removes. Floats because every level multiplies and
// converts them in single instructions, unlike 32-bit integer products; each
// source channel is a shift and mask of its lane, so no lane ever moves.
template <int Lanes>
VIMAGE_BODY void multiplyRowVector(const MatrixJob& job, int shift, const uint8_t* in, uint8_t* out,
                                   long width) {
    using Ints = typename LaneVectors<Lanes>::Ints;
    using Floats = typename LaneVectors<Lanes>::Floats;
    using IntsUnaligned = typename LaneVectors<Lanes>::IntsUnaligned;
    const Floats zero{};
    const Ints mask = Ints{} + 255;
    long x = 0;
    for (; x + Lanes <= width; x += Lanes) {
        const Ints pixels = *reinterpret_cast<const IntsUnaligned*>(in + x * 4);
        const Floats channel[4] = {__builtin_convertvector(pixels & mask, Floats),
                                   __builtin_convertvector((pixels >> 8) & mask, Floats),
                                   __builtin_convertvector((pixels >> 16) & mask, Floats),
                                   __builtin_convertvector((pixels >> 24) & mask, Floats)};
        Ints result{};
        for (int j = 0; j < 4; ++j) {
            Floats sum = zero + job.floatBias[j];
            for (int i = 0; i < 4; ++i)
                sum += channel[i] * job.floatCoefficients[i * 4 + j];
            // Clamped as integers, which every level but the baseline does in
            // one instruction each way.
            Ints level = __builtin_convertvector(sum, Ints);
            level = level < 0 ? 0 : level;
            level = level > 255 ? 255 : level;
            result |= level << (8 * j);
        }
        *reinterpret_cast<IntsUnaligned*>(out + x * 4) = result;
    }
    for (; x < width; ++x)
        multiplyPixel(job, shift, in + x * 4, out + x * 4);
}

using RowKernel = void (*)(const MatrixJob&, int, const uint8_t*, uint8_t*, long);

// Each level's own register width: four lanes for the baseline's 128 bits,
// eight for x86-64-v3's 256, sixteen for v4's 512. Wider vectors than the
// registers are not split well: their float conversions go lane by lane.
void multiplyRowBaseline(const MatrixJob& job, int shift, const uint8_t* in, uint8_t* out,
                         long width) {
    multiplyRowVector<4>(job, shift, in, out, width);
}
ROTIX_TARGET_X86_64_V3 void multiplyRowV3(const MatrixJob& job, int shift, const uint8_t* in,
                                          uint8_t* out, long width) {
    multiplyRowVector<8>(job, shift, in, out, width);
}
ROTIX_TARGET_X86_64_V4 void multiplyRowV4(const MatrixJob& job, int shift, const uint8_t* in,
                                          uint8_t* out, long width) {
    multiplyRowVector<16>(job, shift, in, out, width);
}

constexpr InstructionLevelTable<RowKernel> kRowKernels{multiplyRowBaseline, multiplyRowV3,
                                                       multiplyRowV4};

// Any divisor and bias, in 64-bit arithmetic with a division that truncates.
void multiplyRowExact(const MatrixJob& job, const uint8_t* in, uint8_t* out, long width) {
    for (long x = 0; x < width; ++x) {
        const uint8_t* p = in + x * 4;
        uint8_t result[4];
        for (int j = 0; j < 4; ++j) {
            int64_t sum = job.bias[j];
            for (int i = 0; i < 4; ++i)
                sum += int64_t{p[i]} * job.coefficients[i * 4 + j];
            result[j] = static_cast<uint8_t>(std::clamp<int64_t>(sum / job.divisor, 0, 255));
        }
        std::memcpy(out + x * 4, result, 4);
    }
}

} // namespace

vImage_Error vImageMatrixMultiply_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                           const int16_t matrix[16], int32_t divisor,
                                           const int16_t* pre_bias, const int32_t* post_bias,
                                           vImage_Flags flags) {
    if (!src || !dest || !matrix || !src->data || !dest->data)
        return kvImageNullPointerArgument;
    if (flags & ~vImage_Flags{kvImageDoNotTile})
        return kvImageUnknownFlagsBit;
    if (divisor == 0)
        return kvImageInvalidParameter;
    if (src->width != dest->width || src->height != dest->height)
        return kvImageBufferSizeMismatch;
    constexpr vImagePixelCount kMaximumSide = vImagePixelCount{1} << 28;
    if (src->width > kMaximumSide || src->height > kMaximumSide)
        return kvImageInvalidParameter;
    if (src->width == 0 || src->height == 0)
        return kvImageNoError;
    if (src->rowBytes < src->width * 4 || dest->rowBytes < dest->width * 4)
        return kvImageInvalidParameter;

    MatrixJob job{};
    job.divisor = divisor;
    for (int i = 0; i < 16; ++i)
        job.coefficients[i] = matrix[i];
    // The largest magnitude any sum can reach decides whether 32-bit lanes hold it.
    int64_t bound = 0;
    for (int j = 0; j < 4; ++j) {
        int64_t bias = post_bias ? post_bias[j] : 0;
        int64_t reach = 0;
        for (int i = 0; i < 4; ++i) {
            const int64_t pre = pre_bias ? pre_bias[i] : 0;
            bias += pre * matrix[i * 4 + j];
            reach += (255 + std::abs(pre)) * std::abs(int64_t{matrix[i * 4 + j]});
        }
        job.bias[j] = bias;
        bound = std::max(bound, reach + std::abs(post_bias ? int64_t{post_bias[j]} : 0));
    }
    const bool powerOfTwo = divisor > 0 && std::has_single_bit(static_cast<uint32_t>(divisor));
    // Below 2^24 every integer the sums pass through is exact as a float.
    const bool vector = powerOfTwo && bound < (int64_t{1} << 24);
    const int shift = std::countr_zero(static_cast<uint32_t>(divisor));
    for (int i = 0; i < 16; ++i)
        job.floatCoefficients[i] = std::ldexp(static_cast<float>(job.coefficients[i]), -shift);
    for (int j = 0; j < 4; ++j)
        job.floatBias[j] = std::ldexp(static_cast<float>(job.bias[j]), -shift);

    const auto* in = static_cast<const uint8_t*>(src->data);
    auto* out = static_cast<uint8_t*>(dest->data);
    const long width = static_cast<long>(src->width);
    const size_t inRowBytes = src->rowBytes;
    const size_t used = (src->height - 1) * src->rowBytes + src->width * 4;
    std::vector<uint8_t> copy;
    // Each pixel is read before it is written, so only a destination that
    // overlaps the source with another layout needs a copy of the source.
    const bool sameLayout = src->data == dest->data && src->rowBytes == dest->rowBytes;
    const auto* outEnd = out + (dest->height - 1) * dest->rowBytes + dest->width * 4;
    if (!sameLayout && in < outEnd && out < in + used) {
        try {
            copy.assign(in, in + used);
        } catch (const std::bad_alloc&) {
            return kvImageMemoryAllocationError;
        }
        in = copy.data();
    }
    const RowKernel multiplyRow = kRowKernels.active();
    for (vImagePixelCount y = 0; y < src->height; ++y) {
        const uint8_t* rowIn = in + y * inRowBytes;
        uint8_t* rowOut = out + y * dest->rowBytes;
        if (vector)
            multiplyRow(job, shift, rowIn, rowOut, width);
        else
            multiplyRowExact(job, rowIn, rowOut, width);
    }
    return kvImageNoError;
}
