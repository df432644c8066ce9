#include "platform/accelerate/vImage.h"
#include "platform/accelerate/vImageVector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <immintrin.h>
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
    // Whether every sum stays below 2^24, where floats are exact.
    bool floatExact;
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

// The baseline's vectors: four pixels, one per 32-bit lane.
typedef int32_t Ints __attribute__((vector_size(16)));
typedef float Floats __attribute__((vector_size(16)));
typedef int32_t IntsUnaligned __attribute__((vector_size(16), aligned(1), may_alias));
constexpr long kLanes = 4;

// The baseline's vector row, in single precision: every product and sum
// stays below 2^24 (the caller checks), so the float arithmetic is exact, and
// with coefficients and bias already divided by the power-of-two divisor it
// stays exact. Truncation then differs from the shift's rounding only below
// zero, which the clamp removes. Floats because the baseline multiplies and
// converts them in single instructions, unlike 32-bit integer products; each
// source channel is a shift and mask of its lane, so no lane ever moves.
void multiplyRowFloat(const MatrixJob& job, int shift, const uint8_t* in, uint8_t* out,
                      long width) {
    const Floats zero{};
    const Ints mask = Ints{} + 255;
    long x = 0;
    for (; x + kLanes <= width; x += kLanes) {
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

// The baseline's row: floats in its 128-bit registers where they are exact,
// the plain formula otherwise.
void multiplyRowBaseline(const MatrixJob& job, int shift, const uint8_t* in, uint8_t* out,
                         long width) {
    if (job.floatExact) {
        multiplyRowFloat(job, shift, in, out, width);
        return;
    }
    for (long x = 0; x < width; ++x)
        multiplyPixel(job, shift, in + x * 4, out + x * 4);
}

// The wider levels multiply 16-bit channels by 16-bit coefficients with
// multiply-adds, which sum the products of adjacent pairs: a pixel's
// channels 0 and 1 form one 32-bit lane and channels 2 and 3 the next.
// Separating those lanes into two vectors (x: channels 0 and 1 of each
// pixel, y: channels 2 and 3) makes each destination channel two
// multiply-adds and an addition, one pixel per 32-bit lane. The saturating
// packs then narrow to bytes and clamp to 0..255 at once, leaving each lane
// channel-major; one byte shuffle turns it back into pixels and one permute
// restores the pixel order the separation mixed.
ROTIX_TARGET_X86_64_V3 void multiplyRowV3(const MatrixJob& job, int shift, const uint8_t* in,
                                          uint8_t* out, long width) {
    __m256i pairs01[4];
    __m256i pairs23[4];
    __m256i bias[4];
    for (int j = 0; j < 4; ++j) {
        const auto c = [&](int i) { return static_cast<uint16_t>(job.coefficients[i * 4 + j]); };
        pairs01[j] = _mm256_set1_epi32(static_cast<int32_t>(c(0) | uint32_t{c(1)} << 16));
        pairs23[j] = _mm256_set1_epi32(static_cast<int32_t>(c(2) | uint32_t{c(3)} << 16));
        bias[j] = _mm256_set1_epi32(static_cast<int32_t>(job.bias[j]));
    }
    const __m128i count = _mm_cvtsi32_si128(shift);
    // Within each lane: channel-major bytes (four pixels of channel 0, then
    // of 1, 2, 3) to pixel-major.
    const __m256i toPixels = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,
                                              0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    long x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i low =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 4)));
        const __m256i high = _mm256_cvtepu8_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 4 + 16)));
        // Lane 0 holds pixels 0, 1, 4, 5 and lane 1 pixels 2, 3, 6, 7.
        const __m256i channels01 = _mm256_castps_si256(_mm256_shuffle_ps(
            _mm256_castsi256_ps(low), _mm256_castsi256_ps(high), _MM_SHUFFLE(2, 0, 2, 0)));
        const __m256i channels23 = _mm256_castps_si256(_mm256_shuffle_ps(
            _mm256_castsi256_ps(low), _mm256_castsi256_ps(high), _MM_SHUFFLE(3, 1, 3, 1)));
        __m256i level[4];
        for (int j = 0; j < 4; ++j) {
            const __m256i sum =
                _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(channels01, pairs01[j]),
                                                  _mm256_madd_epi16(channels23, pairs23[j])),
                                 bias[j]);
            level[j] = _mm256_sra_epi32(sum, count);
        }
        const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(level[0], level[1]),
                                                  _mm256_packs_epi32(level[2], level[3]));
        const __m256i pixels = _mm256_shuffle_epi8(bytes, toPixels);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x * 4),
                            _mm256_permute4x64_epi64(pixels, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    for (; x < width; ++x)
        multiplyPixel(job, shift, in + x * 4, out + x * 4);
}

// The same sixteen pixels at a time. Lane k holds pixels 2k, 2k + 1, 2k + 8
// and 2k + 9, so the last permute gathers the 64-bit pixel pairs in order.
ROTIX_TARGET_X86_64_V4 void multiplyRowV4(const MatrixJob& job, int shift, const uint8_t* in,
                                          uint8_t* out, long width) {
    // The zero-masked forms, with every lane selected: the plain ones start
    // from an undefined vector, which GCC 12 reports as used uninitialised.
    constexpr __mmask32 kAll = 0xFFFFFFFF;
    constexpr __mmask16 kAll16 = 0xFFFF;
    __m512i pairs01[4];
    __m512i pairs23[4];
    __m512i bias[4];
    for (int j = 0; j < 4; ++j) {
        const auto c = [&](int i) { return static_cast<uint16_t>(job.coefficients[i * 4 + j]); };
        pairs01[j] = _mm512_set1_epi32(static_cast<int32_t>(c(0) | uint32_t{c(1)} << 16));
        pairs23[j] = _mm512_set1_epi32(static_cast<int32_t>(c(2) | uint32_t{c(3)} << 16));
        bias[j] = _mm512_set1_epi32(static_cast<int32_t>(job.bias[j]));
    }
    const __m128i count = _mm_cvtsi32_si128(shift);
    const __m512i toPixels = _mm512_maskz_broadcast_i32x4(
        kAll16, _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
    const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    long x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i low = _mm512_maskz_cvtepu8_epi16(
            kAll, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x * 4)));
        const __m512i high = _mm512_maskz_cvtepu8_epi16(
            kAll, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x * 4 + 32)));
        const __m512i channels01 = _mm512_castps_si512(_mm512_shuffle_ps(
            _mm512_castsi512_ps(low), _mm512_castsi512_ps(high), _MM_SHUFFLE(2, 0, 2, 0)));
        const __m512i channels23 = _mm512_castps_si512(_mm512_shuffle_ps(
            _mm512_castsi512_ps(low), _mm512_castsi512_ps(high), _MM_SHUFFLE(3, 1, 3, 1)));
        __m512i level[4];
        for (int j = 0; j < 4; ++j) {
            const __m512i sum =
                _mm512_add_epi32(_mm512_add_epi32(_mm512_madd_epi16(channels01, pairs01[j]),
                                                  _mm512_madd_epi16(channels23, pairs23[j])),
                                 bias[j]);
            level[j] = _mm512_maskz_sra_epi32(kAll16, sum, count);
        }
        const __m512i bytes = _mm512_packus_epi16(_mm512_packs_epi32(level[0], level[1]),
                                                  _mm512_packs_epi32(level[2], level[3]));
        _mm512_storeu_si512(out + x * 4, _mm512_maskz_permutexvar_epi64(
                                             0xFF, order, _mm512_shuffle_epi8(bytes, toPixels)));
    }
    for (; x < width; ++x)
        multiplyPixel(job, shift, in + x * 4, out + x * 4);
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
    // Below 2^31 the sums fit the vectors' 32-bit lanes; below 2^24 every
    // integer they pass through is exact as a float too.
    const bool vector = powerOfTwo && bound < (int64_t{1} << 31);
    job.floatExact = bound < (int64_t{1} << 24);
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
