#pragma once

#include <cstddef>
#include <cstdint>

// The two Accelerate image operations the frosted-glass effect uses, over
// interleaved 8-bit four-channel pixels. The channel order is whatever the
// buffer holds; both operations treat the four channels alike, so "ARGB8888"
// names the pixel size rather than a byte order.

using vImagePixelCount = unsigned long;
using vImage_Error = long;
using vImage_Flags = uint32_t;
using Pixel_8888 = uint8_t[4];

struct vImage_Buffer {
    void* data;
    vImagePixelCount height;
    vImagePixelCount width;
    size_t rowBytes;
};

enum : vImage_Flags {
    kvImageNoFlags = 0,
    kvImageLeaveAlphaUnchanged = 1,
    kvImageCopyInPlace = 2,
    kvImageBackgroundColorFill = 4,
    kvImageEdgeExtend = 8,
    kvImageDoNotTile = 16,
    kvImageHighQualityResampling = 32,
    kvImageTruncateKernel = 64,
    kvImageGetTempBufferSize = 128,
};

enum : vImage_Error {
    kvImageNoError = 0,
    kvImageRoiLargerThanInputBuffer = -21766,
    kvImageInvalidKernelSize = -21767,
    kvImageInvalidEdgeStyle = -21768,
    kvImageInvalidOffset_X = -21769,
    kvImageInvalidOffset_Y = -21770,
    kvImageMemoryAllocationError = -21771,
    kvImageNullPointerArgument = -21772,
    kvImageInvalidParameter = -21773,
    kvImageBufferSizeMismatch = -21774,
    kvImageUnknownFlagsBit = -21775,
};

// The largest kernel side the box convolution accepts; sums over a box this
// size still fit 64-bit integers.
constexpr uint32_t kvImageMaximumBoxKernelSize = 65535;

// Each destination pixel is the mean of the kernel_height x kernel_width box of
// source pixels centred on the pixel at (x + srcOffsetToROI_X, y +
// srcOffsetToROI_Y), for all four channels, rounded to the nearest level. Only
// kvImageEdgeExtend is supported: pixels beyond the source's edges repeat the
// edge. Both kernel sides must be odd. tempBuffer and backgroundColor are
// accepted for the platform's signature and not needed.
vImage_Error vImageBoxConvolve_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                        void* tempBuffer, vImagePixelCount srcOffsetToROI_X,
                                        vImagePixelCount srcOffsetToROI_Y, uint32_t kernel_height,
                                        uint32_t kernel_width, const Pixel_8888 backgroundColor,
                                        vImage_Flags flags);

// Each destination channel j is (sum over source channels i of (src[i] +
// pre_bias[i]) * matrix[4 * i + j], plus post_bias[j]) / divisor, clamped to
// 0..255. Rows of the matrix belong to source channels and columns to
// destination channels, both in the buffer's byte order. Either bias may be null.
vImage_Error vImageMatrixMultiply_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                           const int16_t matrix[16], int32_t divisor,
                                           const int16_t* pre_bias, const int32_t* post_bias,
                                           vImage_Flags flags);
