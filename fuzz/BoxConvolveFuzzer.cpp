// The vImage operations on arbitrary buffers: sizes, offsets, row padding
// and kernels come from the first bytes, the pixels from the rest.
#include "platform/accelerate/vImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHeaderSize = 10;
    if (size < kHeaderSize)
        return 0;
    const size_t width = 1 + data[0] % 48;
    const size_t height = 1 + data[1] % 48;
    const size_t padding = (data[2] % 4) * 4;
    const size_t offsetX = data[3] % (width + 1);
    const size_t offsetY = data[4] % (height + 1);
    const size_t destWidth = data[5] % (width + 1);
    const size_t destHeight = data[6] % (height + 1);
    // Kernels up to 600 reach the wide path; even sizes must be refused.
    const uint32_t kernelHeight = (uint32_t{data[7]} << 8 | data[8]) % 600;
    const uint32_t kernelWidth = 1 + (data[9] % 128) * 5;

    const size_t rowBytes = width * 4 + padding;
    std::vector<uint8_t> src(rowBytes * height);
    const uint8_t* pixels = data + kHeaderSize;
    const size_t pixelBytes = size - kHeaderSize;
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = pixelBytes ? pixels[i % pixelBytes] : 0;
    std::vector<uint8_t> dest(std::max<size_t>(1, (destWidth * 4 + padding) * destHeight));
    vImage_Buffer in{src.data(), height, width, rowBytes};
    vImage_Buffer out{dest.data(), destHeight, destWidth, destWidth * 4 + padding};
    const vImage_Error error =
        vImageBoxConvolve_ARGB8888(&in, &out, nullptr, offsetX, offsetY, kernelHeight, kernelWidth,
                                   nullptr, kvImageEdgeExtend);
    if (kernelHeight % 2 == 0 && error != kvImageInvalidKernelSize)
        __builtin_trap();

    const int16_t matrix[16] = {static_cast<int16_t>(data[0] << 8 | data[1]),
                                static_cast<int16_t>(data[2] << 8 | data[3]),
                                static_cast<int16_t>(data[4] << 8 | data[5]),
                                static_cast<int16_t>(data[6] << 8 | data[7]),
                                256,
                                0,
                                0,
                                0,
                                0,
                                256,
                                0,
                                0,
                                0,
                                0,
                                0,
                                static_cast<int16_t>(data[8] << 8 | data[9])};
    const int32_t divisor = static_cast<int32_t>(data[9]) - 128;
    vImageMatrixMultiply_ARGB8888(&in, &in, matrix, divisor, nullptr, nullptr, kvImageNoFlags);
    return 0;
}
