#include "platform/accelerate/vImage.h"
#include "platform/accelerate/vImageVector.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>
#include <new>
#include <vector>

namespace {

using namespace vimage;

// Rows are blurred four at a time: the vertical sums of the four rows are
// stored interleaved, so the horizontal running sum of all four rows and all
// four channels is one sixteen-lane vector.
constexpr long kRowsPerGroup = 4;
constexpr long kLanes = kRowsPerGroup * 4;

// Above these sides the 16-bit vertical sums or the exact float conversion of
// the box sums would no longer hold, and the plain integer path takes over.
constexpr uint32_t kVectorKernelLimit = 255;

struct BoxJob {
    const uint8_t* src;
    size_t srcRowBytes;
    long srcWidth;
    long srcHeight;
    uint8_t* dest;
    size_t destRowBytes;
    long destWidth;
    long destHeight;
    long offsetX;
    long offsetY;
    long radiusY;
    long radiusX;

    long clampRow(long y) const { return std::clamp(y, 0L, srcHeight - 1); }
    long clampColumn(long x) const { return std::clamp(x, 0L, srcWidth - 1); }
    const uint8_t* srcRow(long y) const { return src + clampRow(y) * srcRowBytes; }
    // Source columns in one horizontal box.
    long boxWidth() const { return 2 * radiusX + 1; }
    // The source columns any destination pixel's box reaches.
    long firstColumn() const { return clampColumn(offsetX - radiusX); }
    long lastColumn() const { return clampColumn(offsetX + destWidth - 1 + radiusX); }
};

// One group of four rows: slides the column sums down a row at a time and
// stores each row's sums into its slot of the interleaved buffer, whose slot
// p holds source column (p - radiusX + offsetX).
VIMAGE_BODY void verticalGroup(const BoxJob& job, long firstRow, uint16_t* sums,
                               uint16_t* interleaved) {
    const long first = job.firstColumn();
    const long columns = job.lastColumn() - first + 1;
    const uint8_t* in[kRowsPerGroup];
    const uint8_t* out[kRowsPerGroup];
    for (long k = 0; k < kRowsPerGroup; ++k) {
        const long y = job.offsetY + firstRow + k;
        in[k] = job.srcRow(y + job.radiusY) + first * 4;
        out[k] = job.srcRow(y - job.radiusY - 1) + first * 4;
    }
    uint16_t* slots = interleaved + (first - job.offsetX + job.radiusX) * kLanes;

    // Two pixels per step in 128-bit vectors, which every instruction set
    // transposes in single instructions.
    long c = 0;
    for (; c + 2 <= columns; c += 2) {
        u16x8 s = VIMAGE_LOAD(u16x8, sums + c * 4);
        u64x2 t[kRowsPerGroup];
        for (long k = 0; k < kRowsPerGroup; ++k) {
            s += __builtin_convertvector(VIMAGE_LOAD(u8x8, in[k] + c * 4), u16x8);
            s -= __builtin_convertvector(VIMAGE_LOAD(u8x8, out[k] + c * 4), u16x8);
            t[k] = reinterpret_cast<u64x2>(s);
        }
        VIMAGE_STORE(u16x8, sums + c * 4, s);
        // Each pixel's slot receives its four rows side by side.
        uint16_t* slot = slots + c * kLanes;
        VIMAGE_STORE(u64x2, slot, __builtin_shufflevector(t[0], t[1], 0, 2));
        VIMAGE_STORE(u64x2, slot + 8, __builtin_shufflevector(t[2], t[3], 0, 2));
        VIMAGE_STORE(u64x2, slot + kLanes, __builtin_shufflevector(t[0], t[1], 1, 3));
        VIMAGE_STORE(u64x2, slot + kLanes + 8, __builtin_shufflevector(t[2], t[3], 1, 3));
    }
    for (; c < columns; ++c) {
        for (long k = 0; k < kRowsPerGroup; ++k) {
            for (long ch = 0; ch < 4; ++ch) {
                uint16_t& s = sums[c * 4 + ch];
                s = static_cast<uint16_t>(s + in[k][c * 4 + ch] - out[k][c * 4 + ch]);
                slots[c * kLanes + k * 4 + ch] = s;
            }
        }
    }
}

// The factor that turns a box sum into its mean. The box's area is odd, so
// no exact mean lies halfway between two levels, and the float product plus
// one half, truncated, rounds like the exact quotient for every sum of a
// square box up to 163 a side; from there to 255 it may be one level off.
// Every level multiplies and adds separately (this file is built without
// contraction into fused multiply-adds), so all give the same levels.
float meanFactor(const BoxJob& job) {
    return 1.0f / static_cast<float>((2 * job.radiusY + 1) * (2 * job.radiusX + 1));
}

// Writes one column of a group's means, given as sixteen levels: the four
// channels of row 0, then of rows 1, 2 and 3. The wider levels' passes end
// their rows with it.
void storeColumn(const int32_t levels[kLanes], uint8_t* const rows[4], long x) {
    for (long k = 0; k < kRowsPerGroup; ++k)
        for (long c = 0; c < 4; ++c)
            rows[k][x * 4 + c] = static_cast<uint8_t>(levels[k * 4 + c]);
}

// Runs the horizontal box over the interleaved sums of one group and writes
// the four rows' means, a column at a time. The baseline's version: the
// wider levels have their own below.
VIMAGE_BODY void horizontalGroup(const BoxJob& job, const uint16_t* interleaved,
                                 uint8_t* const rows[4]) {
    const long width = job.destWidth;
    const long box = job.boxWidth();
    const f32x16 scale = f32x16{} + meanFactor(job);
    const f32x16 half = f32x16{} + 0.5f;
    // Signed lanes: every instruction set converts them to and from float in
    // one step, and the box sums stay far below 2^31.
    i32x16 sum{};
    for (long p = 0; p < box; ++p)
        sum += __builtin_convertvector(VIMAGE_LOAD(u16x16, interleaved + p * kLanes), i32x16);
    for (long x = 0;; ++x) {
        const i32x16 mean =
            __builtin_convertvector(__builtin_convertvector(sum, f32x16) * scale + half, i32x16);
        // Through 16 bits, which every instruction set narrows with packs.
        const u8x16 bytes = __builtin_convertvector(__builtin_convertvector(mean, u16x16), u8x16);
        for (long k = 0; k < kRowsPerGroup; ++k)
            std::memcpy(rows[k] + x * 4, reinterpret_cast<const uint8_t*>(&bytes) + k * 4, 4);
        if (x + 1 == width)
            break;
        // The difference first, so that the running sum waits on one addition.
        sum +=
            __builtin_convertvector(VIMAGE_LOAD(u16x16, interleaved + (x + box) * kLanes), i32x16) -
            __builtin_convertvector(VIMAGE_LOAD(u16x16, interleaved + x * kLanes), i32x16);
    }
}

// The wider levels' horizontal pass, four columns at a time. The saturating
// packs narrow two vectors into one within each 128-bit lane, and a lane
// here holds one row's pixel, so packing four columns' means leaves each
// row's four pixels together in its lane: the narrowing is the transpose.
// The 16-bit slot sums widen as they load, one instruction each. (Generic
// vectors have no such packs, and the compiler shuffles the 512-bit ones of
// AVX2 through memory.)
ROTIX_TARGET_X86_64_V3 void horizontalV3(const BoxJob& job, const uint16_t* interleaved,
                                         uint8_t* const rows[4]) {
    const long width = job.destWidth;
    const long box = job.boxWidth();
    const __m256 scale = _mm256_set1_ps(meanFactor(job));
    const __m256 half = _mm256_set1_ps(0.5f);
    // Half 0 holds rows 0 and 1, half 1 rows 2 and 3.
    auto load = [&](long slot, int h) ROTIX_TARGET_X86_64_V3 {
        return _mm256_cvtepu16_epi32(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(interleaved + slot * kLanes + h * 8)));
    };
    __m256i sum[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
    for (long p = 0; p < box; ++p)
        for (int h = 0; h < 2; ++h)
            sum[h] = _mm256_add_epi32(sum[h], load(p, h));
    auto mean = [&](int h) ROTIX_TARGET_X86_64_V3 {
        return _mm256_cvttps_epi32(
            _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(sum[h]), scale), half));
    };
    auto slide = [&](long x) ROTIX_TARGET_X86_64_V3 {
        for (int h = 0; h < 2; ++h)
            sum[h] = _mm256_add_epi32(sum[h], _mm256_sub_epi32(load(x + box, h), load(x, h)));
    };
    long x = 0;
    // The last column has no slide after it, so the blocks stop short of it.
    for (; x + 4 < width; x += 4) {
        __m256i m[4][2];
        for (long i = 0; i < 4; ++i) {
            m[i][0] = mean(0);
            m[i][1] = mean(1);
            slide(x + i);
        }
        for (int h = 0; h < 2; ++h) {
            const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(m[0][h], m[1][h]),
                                                      _mm256_packus_epi32(m[2][h], m[3][h]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[2 * h] + x * 4),
                             _mm256_castsi256_si128(bytes));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[2 * h + 1] + x * 4),
                             _mm256_extracti128_si256(bytes, 1));
        }
    }
    for (;; ++x) {
        int32_t levels[kLanes];
        for (int h = 0; h < 2; ++h)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels + h * 8), mean(h));
        storeColumn(levels, rows, x);
        if (x + 1 == width)
            break;
        slide(x);
    }
}

// The same with one 512-bit vector for all four rows.
ROTIX_TARGET_X86_64_V4 void horizontalV4(const BoxJob& job, const uint16_t* interleaved,
                                         uint8_t* const rows[4]) {
    const long width = job.destWidth;
    const long box = job.boxWidth();
    const __m512 scale = _mm512_set1_ps(meanFactor(job));
    const __m512 half = _mm512_set1_ps(0.5f);
    // The zero-masked forms of the conversions and extractions, with every
    // lane selected: the plain ones start from an undefined vector, which
    // GCC 12 then reports as used uninitialised.
    constexpr __mmask16 kAll = 0xFFFF;
    auto load = [&](long slot) ROTIX_TARGET_X86_64_V4 {
        return _mm512_maskz_cvtepu16_epi32(
            kAll,
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(interleaved + slot * kLanes)));
    };
    __m512i sum = _mm512_setzero_si512();
    for (long p = 0; p < box; ++p)
        sum = _mm512_add_epi32(sum, load(p));
    auto mean = [&]() ROTIX_TARGET_X86_64_V4 {
        return _mm512_maskz_cvttps_epi32(
            kAll, _mm512_add_ps(_mm512_mul_ps(_mm512_maskz_cvtepi32_ps(kAll, sum), scale), half));
    };
    auto slide = [&](long x) ROTIX_TARGET_X86_64_V4 {
        sum = _mm512_add_epi32(sum, _mm512_sub_epi32(load(x + box), load(x)));
    };
    long x = 0;
    for (; x + 4 < width; x += 4) {
        __m512i m[4];
        for (long i = 0; i < 4; ++i) {
            m[i] = mean();
            slide(x + i);
        }
        const __m512i bytes =
            _mm512_packus_epi16(_mm512_packus_epi32(m[0], m[1]), _mm512_packus_epi32(m[2], m[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[0] + x * 4),
                         _mm512_maskz_extracti32x4_epi32(0xF, bytes, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[1] + x * 4),
                         _mm512_maskz_extracti32x4_epi32(0xF, bytes, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[2] + x * 4),
                         _mm512_maskz_extracti32x4_epi32(0xF, bytes, 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[3] + x * 4),
                         _mm512_maskz_extracti32x4_epi32(0xF, bytes, 3));
    }
    for (;; ++x) {
        int32_t levels[kLanes];
        _mm512_storeu_si512(levels, mean());
        storeColumn(levels, rows, x);
        if (x + 1 == width)
            break;
        slide(x);
    }
}

// Each level's build of the two passes over a group of rows.
struct GroupKernels {
    void (*vertical)(const BoxJob&, long, uint16_t*, uint16_t*);
    void (*horizontal)(const BoxJob&, const uint16_t*, uint8_t* const[4]);
};

void verticalBaseline(const BoxJob& job, long firstRow, uint16_t* sums, uint16_t* interleaved) {
    verticalGroup(job, firstRow, sums, interleaved);
}
ROTIX_TARGET_X86_64_V3 void verticalV3(const BoxJob& job, long firstRow, uint16_t* sums,
                                       uint16_t* interleaved) {
    verticalGroup(job, firstRow, sums, interleaved);
}
ROTIX_TARGET_X86_64_V4 void verticalV4(const BoxJob& job, long firstRow, uint16_t* sums,
                                       uint16_t* interleaved) {
    verticalGroup(job, firstRow, sums, interleaved);
}
void horizontalBaseline(const BoxJob& job, const uint16_t* interleaved, uint8_t* const rows[4]) {
    horizontalGroup(job, interleaved, rows);
}

constexpr InstructionLevelTable<GroupKernels> kGroupKernels{
    {verticalBaseline, horizontalBaseline}, {verticalV3, horizontalV3}, {verticalV4, horizontalV4}};

vImage_Error boxConvolveVector(const BoxJob& job) {
    const long first = job.firstColumn();
    const long last = job.lastColumn();
    const long columns = last - first + 1;
    const long slots = job.destWidth + 2 * job.radiusX;
    std::vector<uint16_t> sums(static_cast<size_t>(columns) * 4);
    std::vector<uint16_t> interleaved(static_cast<size_t>(slots) * kLanes);
    std::vector<uint8_t> spareRow(static_cast<size_t>(job.destWidth) * 4);

    // Column sums for the row above the first, so that every group slides.
    for (long dy = -job.radiusY; dy <= job.radiusY; ++dy) {
        const uint8_t* row = job.srcRow(job.offsetY - 1 + dy) + first * 4;
        for (long i = 0; i < columns * 4; ++i)
            sums[i] = static_cast<uint16_t>(sums[i] + row[i]);
    }

    // Slots left and right of the source's columns repeat its edge columns.
    const long firstSlot = first - job.offsetX + job.radiusX;
    const long lastSlot = last - job.offsetX + job.radiusX;
    const GroupKernels kernels = kGroupKernels.active();
    for (long y = 0; y < job.destHeight; y += kRowsPerGroup) {
        kernels.vertical(job, y, sums.data(), interleaved.data());
        uint16_t* base = interleaved.data();
        for (long p = 0; p < firstSlot; ++p)
            std::memcpy(base + p * kLanes, base + firstSlot * kLanes, kLanes * sizeof(uint16_t));
        for (long p = lastSlot + 1; p < slots; ++p)
            std::memcpy(base + p * kLanes, base + lastSlot * kLanes, kLanes * sizeof(uint16_t));

        uint8_t* rows[kRowsPerGroup];
        for (long k = 0; k < kRowsPerGroup; ++k)
            rows[k] =
                y + k < job.destHeight ? job.dest + (y + k) * job.destRowBytes : spareRow.data();
        kernels.horizontal(job, interleaved.data(), rows);
    }
    return kvImageNoError;
}

// Any kernel up to the maximum size: 32-bit column sums, a 64-bit running
// box sum and an exact rounded division.
vImage_Error boxConvolveWide(const BoxJob& job) {
    const long first = job.firstColumn();
    const long columns = job.lastColumn() - first + 1;
    const uint64_t area =
        static_cast<uint64_t>(2 * job.radiusY + 1) * static_cast<uint64_t>(2 * job.radiusX + 1);
    std::vector<uint32_t> sums(static_cast<size_t>(columns) * 4);
    for (long dy = -job.radiusY; dy <= job.radiusY; ++dy) {
        const uint8_t* row = job.srcRow(job.offsetY - 1 + dy) + first * 4;
        for (long i = 0; i < columns * 4; ++i)
            sums[i] += row[i];
    }
    auto column = [&](long x) { return (job.clampColumn(job.offsetX + x) - first) * 4; };
    for (long y = 0; y < job.destHeight; ++y) {
        const long sy = job.offsetY + y;
        const uint8_t* in = job.srcRow(sy + job.radiusY) + first * 4;
        const uint8_t* out = job.srcRow(sy - job.radiusY - 1) + first * 4;
        for (long i = 0; i < columns * 4; ++i)
            sums[i] = sums[i] + in[i] - out[i];
        uint8_t* row = job.dest + y * job.destRowBytes;
        for (long ch = 0; ch < 4; ++ch) {
            uint64_t sum = 0;
            for (long dx = -job.radiusX; dx <= job.radiusX; ++dx)
                sum += sums[column(dx) + ch];
            for (long x = 0;; ++x) {
                row[x * 4 + ch] = static_cast<uint8_t>((sum + area / 2) / area);
                // The column after the last box may lie beyond the sums.
                if (x + 1 == job.destWidth)
                    break;
                sum += sums[column(x + job.radiusX + 1) + ch];
                sum -= sums[column(x - job.radiusX) + ch];
            }
        }
    }
    return kvImageNoError;
}

bool overlaps(const vImage_Buffer& a, const vImage_Buffer& b) {
    const auto* aBegin = static_cast<const uint8_t*>(a.data);
    const auto* bBegin = static_cast<const uint8_t*>(b.data);
    const uint8_t* aEnd = aBegin + (a.height - 1) * a.rowBytes + a.width * 4;
    const uint8_t* bEnd = bBegin + (b.height - 1) * b.rowBytes + b.width * 4;
    return aBegin < bEnd && bBegin < aEnd;
}

} // namespace

vImage_Error vImageBoxConvolve_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                        void* /*tempBuffer*/, vImagePixelCount srcOffsetToROI_X,
                                        vImagePixelCount srcOffsetToROI_Y, uint32_t kernel_height,
                                        uint32_t kernel_width, const Pixel_8888 /*backgroundColor*/,
                                        vImage_Flags flags) {
    if (!src || !dest || !src->data || !dest->data)
        return kvImageNullPointerArgument;
    if (flags & ~(kvImageEdgeExtend | kvImageDoNotTile | kvImageCopyInPlace |
                  kvImageBackgroundColorFill | kvImageTruncateKernel))
        return kvImageUnknownFlagsBit;
    if ((flags & (kvImageCopyInPlace | kvImageBackgroundColorFill | kvImageTruncateKernel |
                  kvImageEdgeExtend)) != kvImageEdgeExtend)
        return kvImageInvalidEdgeStyle;
    if (kernel_height % 2 == 0 || kernel_width % 2 == 0 ||
        kernel_height > kvImageMaximumBoxKernelSize || kernel_width > kvImageMaximumBoxKernelSize)
        return kvImageInvalidKernelSize;
    // Pixel counts beyond this are not images but corrupt descriptions.
    constexpr vImagePixelCount kMaximumSide = vImagePixelCount{1} << 28;
    if (src->width > kMaximumSide || src->height > kMaximumSide || dest->width > kMaximumSide ||
        dest->height > kMaximumSide)
        return kvImageInvalidParameter;
    if (dest->width == 0 || dest->height == 0)
        return kvImageNoError;
    if (src->rowBytes < src->width * 4 || dest->rowBytes < dest->width * 4)
        return kvImageInvalidParameter;
    if (srcOffsetToROI_X >= src->width && src->width > 0)
        return kvImageInvalidOffset_X;
    if (srcOffsetToROI_Y >= src->height && src->height > 0)
        return kvImageInvalidOffset_Y;
    if (srcOffsetToROI_X + dest->width > src->width ||
        srcOffsetToROI_Y + dest->height > src->height)
        return kvImageRoiLargerThanInputBuffer;

    try {
        // The rows are read again after the destination has been written, so a
        // destination that shares memory with the source gets a copy to read.
        std::vector<uint8_t> copy;
        const uint8_t* pixels = static_cast<const uint8_t*>(src->data);
        if (overlaps(*src, *dest)) {
            copy.assign(pixels, pixels + (src->height - 1) * src->rowBytes + src->width * 4);
            pixels = copy.data();
        }
        const BoxJob job{pixels,
                         src->rowBytes,
                         static_cast<long>(src->width),
                         static_cast<long>(src->height),
                         static_cast<uint8_t*>(dest->data),
                         dest->rowBytes,
                         static_cast<long>(dest->width),
                         static_cast<long>(dest->height),
                         static_cast<long>(srcOffsetToROI_X),
                         static_cast<long>(srcOffsetToROI_Y),
                         static_cast<long>(kernel_height / 2),
                         static_cast<long>(kernel_width / 2)};
        if (kernel_height <= kVectorKernelLimit && kernel_width <= kVectorKernelLimit)
            return boxConvolveVector(job);
        return boxConvolveWide(job);
    } catch (const std::bad_alloc&) {
        return kvImageMemoryAllocationError;
    }
}
