#include "platform/graphics/SourceOverFill.h"

#include "platform/accelerate/vImageVector.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>

namespace {

using namespace vimage;

// x / 255 rounded to nearest for x up to 255 * 255, the way Cairo's pixel
// library divides: ((x + 128) + ((x + 128) >> 8)) >> 8.
uint32_t divideBy255(uint32_t x) {
    const uint32_t t = x + 128;
    return (t + (t >> 8)) >> 8;
}

// One pixel, the plain formula. The sum never exceeds 255: each channel of a
// premultiplied source is at most its alpha, and the scaled destination at
// most 255 - alpha.
void blendPixel(const SourceOverFill& fill, uint8_t* p) {
    const uint32_t inverse = 255 - fill.colour[fill.alphaByte];
    for (int c = 0; c < 4; ++c)
        p[c] = static_cast<uint8_t>(fill.colour[c] + divideBy255(p[c] * inverse));
}

// The baseline's rows: four pixels per step in 16-bit lanes, the same formula
// lane by lane; the lanes never overflow (255 * 255 + 128 + 255 < 65536).
VIMAGE_BODY void fillRows(const SourceOverFill& fill) {
    const u16x16 inverse = u16x16{} + static_cast<uint16_t>(255 - fill.colour[fill.alphaByte]);
    u16x16 colour{};
    for (int i = 0; i < 16; ++i)
        colour[i] = fill.colour[i % 4];
    const u16x16 rounding = u16x16{} + 128;
    for (long y = fill.top; y < fill.bottom; ++y) {
        uint8_t* row = fill.pixels + y * fill.bytesPerRow;
        long x = fill.left;
        for (; x + 4 <= fill.right; x += 4) {
            const u16x16 t =
                __builtin_convertvector(VIMAGE_LOAD(u8x16, row + x * 4), u16x16) * inverse +
                rounding;
            const u16x16 blended = colour + ((t + (t >> 8)) >> 8);
            VIMAGE_STORE(u8x16, row + x * 4, __builtin_convertvector(blended, u8x16));
        }
        for (; x < fill.right; ++x)
            blendPixel(fill, row + x * 4);
    }
}

void fillBaseline(const SourceOverFill& fill) {
    fillRows(fill);
}

// The wider levels in intrinsics, eight or sixteen pixels a step: bytes are
// widened by interleaving with zeros, which the saturating pack undoes lane
// for lane, so no permute is needed; the division is the multiply-high by
// 257 that equals (t + (t >> 8)) >> 8 for every 16-bit t.
ROTIX_TARGET_X86_64_V3 void fillV3(const SourceOverFill& fill) {
    const __m256i inverse =
        _mm256_set1_epi16(static_cast<int16_t>(255 - fill.colour[fill.alphaByte]));
    uint32_t word;
    std::memcpy(&word, fill.colour, sizeof word);
    const __m256i colour = _mm256_set1_epi32(static_cast<int32_t>(word));
    const __m256i rounding = _mm256_set1_epi16(128);
    const __m256i by257 = _mm256_set1_epi16(257);
    const __m256i zero = _mm256_setzero_si256();
    for (long y = fill.top; y < fill.bottom; ++y) {
        uint8_t* row = fill.pixels + y * fill.bytesPerRow;
        long x = fill.left;
        for (; x + 8 <= fill.right; x += 8) {
            auto* at = reinterpret_cast<__m256i*>(row + x * 4);
            const __m256i pixels = _mm256_loadu_si256(at);
            __m256i half[2] = {_mm256_unpacklo_epi8(pixels, zero),
                               _mm256_unpackhi_epi8(pixels, zero)};
            for (__m256i& h : half)
                h = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(h, inverse), rounding),
                                       by257);
            _mm256_storeu_si256(at, _mm256_add_epi8(_mm256_packus_epi16(half[0], half[1]), colour));
        }
        for (; x < fill.right; ++x)
            blendPixel(fill, row + x * 4);
    }
}

ROTIX_TARGET_X86_64_V4 void fillV4(const SourceOverFill& fill) {
    const __m512i inverse =
        _mm512_set1_epi16(static_cast<int16_t>(255 - fill.colour[fill.alphaByte]));
    uint32_t word;
    std::memcpy(&word, fill.colour, sizeof word);
    const __m512i colour = _mm512_set1_epi32(static_cast<int32_t>(word));
    const __m512i rounding = _mm512_set1_epi16(128);
    const __m512i by257 = _mm512_set1_epi16(257);
    const __m512i zero = _mm512_setzero_si512();
    for (long y = fill.top; y < fill.bottom; ++y) {
        uint8_t* row = fill.pixels + y * fill.bytesPerRow;
        long x = fill.left;
        for (; x + 16 <= fill.right; x += 16) {
            uint8_t* at = row + x * 4;
            const __m512i pixels = _mm512_loadu_si512(at);
            __m512i half[2] = {_mm512_unpacklo_epi8(pixels, zero),
                               _mm512_unpackhi_epi8(pixels, zero)};
            for (__m512i& h : half)
                h = _mm512_mulhi_epu16(_mm512_add_epi16(_mm512_mullo_epi16(h, inverse), rounding),
                                       by257);
            _mm512_storeu_si512(at, _mm512_add_epi8(_mm512_packus_epi16(half[0], half[1]), colour));
        }
        for (; x < fill.right; ++x)
            blendPixel(fill, row + x * 4);
    }
}

constexpr InstructionLevelTable<void (*)(const SourceOverFill&)> kFill{fillBaseline, fillV3,
                                                                       fillV4};

} // namespace

void fillSourceOver(const SourceOverFill& fill) {
    if (fill.left >= fill.right || fill.top >= fill.bottom)
        return;
    // An opaque colour leaves nothing of what was under it: the pixels are
    // the colour, which plain stores put down fastest.
    if (fill.colour[fill.alphaByte] == 255) {
        uint32_t word;
        std::memcpy(&word, fill.colour, sizeof word);
        // One pixel, then the row doubled onto itself, then the rows copied.
        const size_t rowBytes = static_cast<size_t>(fill.right - fill.left) * 4;
        uint8_t* first = fill.pixels + fill.top * fill.bytesPerRow + fill.left * 4;
        std::memcpy(first, &word, sizeof word);
        for (size_t done = 4; done < rowBytes; done *= 2)
            std::memcpy(first + done, first, std::min(done, rowBytes - done));
        for (long y = fill.top + 1; y < fill.bottom; ++y)
            std::memcpy(fill.pixels + y * fill.bytesPerRow + fill.left * 4, first, rowBytes);
        return;
    }
    kFill.active()(fill);
}
