#include "platform/graphics/SourceOverFill.h"

#include "platform/accelerate/vImageVector.h"

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

// Four pixels per step in 16-bit lanes, the same formula lane by lane; the
// lanes never overflow (255 * 255 + 128 + 255 < 65536).
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
ROTIX_TARGET_X86_64_V3 void fillV3(const SourceOverFill& fill) {
    fillRows(fill);
}
ROTIX_TARGET_X86_64_V4 void fillV4(const SourceOverFill& fill) {
    fillRows(fill);
}

constexpr InstructionLevelTable<void (*)(const SourceOverFill&)> kFill{fillBaseline, fillV3,
                                                                       fillV4};

} // namespace

void fillSourceOver(const SourceOverFill& fill) {
    if (fill.left >= fill.right || fill.top >= fill.bottom)
        return;
    kFill.active()(fill);
}
