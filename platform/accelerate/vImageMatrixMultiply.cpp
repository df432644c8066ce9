#include "platform/accelerate/vImage.h"
#include "platform/accelerate/vImageVector.h"

#include <algorithm>
#include <bit>
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
};

// Sixteen pixels per step, one pixel per 32-bit lane: each source channel is
// a shift and a mask of the lane, each destination channel a sum of products
// with one coefficient for all lanes, so no lane ever has to move.
VIMAGE_BODY void multiplyRowVector(const MatrixJob& job, int shift, const uint8_t* in, uint8_t* out,
                                   long width) {
    const i32x16 zero{};
    const i32x16 top = zero + 255;
    const i32x16 mask = zero + 255;
    long x = 0;
    for (; x + 16 <= width; x += 16) {
        const i32x16 pixels = VIMAGE_LOAD(i32x16, in + x * 4);
        const i32x16 channel[4] = {pixels & mask, (pixels >> 8) & mask, (pixels >> 16) & mask,
                                   (pixels >> 24) & mask};
        i32x16 result = zero;
        for (int j = 0; j < 4; ++j) {
            i32x16 sum = zero + static_cast<int32_t>(job.bias[j]);
            for (int i = 0; i < 4; ++i)
                sum += channel[i] * job.coefficients[i * 4 + j];
            sum >>= shift;
            // Lane masks are all ones where true, so the selects are bitwise.
            const i32x16 positive = sum > zero;
            sum &= positive;
            const i32x16 over = sum > top;
            sum = (sum & ~over) | (top & over);
            result |= sum << (8 * j);
        }
        VIMAGE_STORE(i32x16, out + x * 4, result);
    }
    for (; x < width; ++x) {
        const uint8_t* p = in + x * 4;
        uint8_t result[4];
        for (int j = 0; j < 4; ++j) {
            int32_t sum = static_cast<int32_t>(job.bias[j]);
            for (int i = 0; i < 4; ++i)
                sum += p[i] * job.coefficients[i * 4 + j];
            result[j] = static_cast<uint8_t>(std::clamp(sum >> shift, 0, 255));
        }
        std::memcpy(out + x * 4, result, 4);
    }
}

using RowKernel = void (*)(const MatrixJob&, int, const uint8_t*, uint8_t*, long);

void multiplyRowBaseline(const MatrixJob& job, int shift, const uint8_t* in, uint8_t* out,
                         long width) {
    multiplyRowVector(job, shift, in, out, width);
}
ROTIX_TARGET_X86_64_V3 void multiplyRowV3(const MatrixJob& job, int shift, const uint8_t* in,
                                          uint8_t* out, long width) {
    multiplyRowVector(job, shift, in, out, width);
}
ROTIX_TARGET_X86_64_V4 void multiplyRowV4(const MatrixJob& job, int shift, const uint8_t* in,
                                          uint8_t* out, long width) {
    multiplyRowVector(job, shift, in, out, width);
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
    const bool vector = powerOfTwo && bound < (int64_t{1} << 31);
    const int shift = std::countr_zero(static_cast<uint32_t>(divisor));

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
