#pragma once

#include "platform/graphics/CGColorSpace.h"
#include "platform/graphics/CGContext.h"

#include <cstddef>
#include <cstdint>

// A context that draws into a bitmap of width x height pixels. Its user space
// is the platform's: y up, origin at the bottom-left corner, one unit a pixel.
// With data, the caller's buffer is the bitmap and must outlive the context;
// without, the context owns a zeroed one (bytesPerRow 0 picks the natural
// size). Bitmaps are 8 bits a component: alpha premultiplied first in 32-bit
// little-endian words (bytes blue, green, red, alpha; kCGImageAlphaNoneSkipFirst
// for opaque), or premultiplied last in big-endian order (bytes red, green,
// blue, alpha). Other layouts, sizes over 16384 pixels a side and short rows
// give nothing.
CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height,
                                   std::size_t bitsPerComponent, std::size_t bytesPerRow,
                                   const CGColorSpaceRef& space, std::uint32_t bitmapInfo);

// A transparent premultiplied bitmap in the image-context byte order (blue,
// green, red, alpha), the kind tests and the renderer draw into.
CGContextRef CGBitmapContextCreate(std::size_t width, std::size_t height);

// The bitmap's bytes. They may be written directly; the context sees the
// change at its next drawing.
void* CGBitmapContextGetData(const CGContextRef& c);
std::size_t CGBitmapContextGetWidth(const CGContextRef& c);
std::size_t CGBitmapContextGetHeight(const CGContextRef& c);
std::size_t CGBitmapContextGetBytesPerRow(const CGContextRef& c);
std::uint32_t CGBitmapContextGetBitmapInfo(const CGContextRef& c);
// A copy of the bitmap as it is now, in the image layout.
CGImageRef CGBitmapContextCreateImage(const CGContextRef& c);
