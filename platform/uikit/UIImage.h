#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGImage.h"
#include "platform/objc/NSObject.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// How an image's bitmap is turned for display, with the platform's values.
enum UIImageOrientation : int {
    UIImageOrientationUp = 0,
    UIImageOrientationDown = 1,          // turned 180 degrees
    UIImageOrientationLeft = 2,          // turned 90 degrees counterclockwise
    UIImageOrientationRight = 3,         // turned 90 degrees clockwise
    UIImageOrientationUpMirrored = 4,    // flipped left to right
    UIImageOrientationDownMirrored = 5,  // flipped top to bottom
    UIImageOrientationLeftMirrored = 6,  // flipped across the main diagonal
    UIImageOrientationRightMirrored = 7, // flipped across the other diagonal
};

// An image: a bitmap (or none), a scale from points to pixels and an
// orientation. Immutable, so one image may be used from several threads.
class UIImage : public NSObject {
public:
    // A device path, resolved under the device root. PNG or JPEG, told by
    // content. On a screen of scale 2 or 3 a file with "@3x" or "@2x" before
    // the extension is preferred when it exists; the scale is taken from
    // such a suffix, else 1. A missing, oversized or undecodable file gives
    // nothing.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(std::string_view devicePath);
    static std::shared_ptr<UIImage> initWithContentsOfFile(std::string_view devicePath) {
        return imageWithContentsOfFile(devicePath);
    }
    // PNG or JPEG bytes at scale 1; nothing for bytes that do not decode.
    static std::shared_ptr<UIImage> imageWithData(std::span<const std::uint8_t> bytes);
    static std::shared_ptr<UIImage> imageWithData(const CFData& data);
    // Nothing without a bitmap. A scale that is not positive counts as 1.
    static std::shared_ptr<UIImage>
    imageWithCGImage(const CGImageRef& image, CGFloat scale = 1,
                     UIImageOrientation orientation = UIImageOrientationUp);
    // An image of a size in points with no bitmap behind it, as images made
    // from other kinds of content are.
    static std::shared_ptr<UIImage> imageWithSize(CGSize size, CGFloat scale = 1);

    // The bitmap, or nothing.
    const CGImageRef& CGImage() const { return m_image; }
    // In points, turned by the orientation (Left and Right swap the sides).
    CGSize size() const;
    CGFloat scale() const { return m_scale; }
    UIImageOrientation imageOrientation() const { return m_orientation; }

    // Draws into the current UIGraphics context, upright and turned by the
    // orientation, stretched over rect (in that context's y-down user space).
    void drawInRect(CGRect rect) const;
    void drawAtPoint(CGPoint point) const;

    // Hash of the bitmap's pixels for dumps; empty without a bitmap.
    std::string contentHash() const;

    std::string_view className() const override { return "UIImage"; }

protected:
    UIImage(CGImageRef image, CGSize pixelSize, CGFloat scale, UIImageOrientation orientation);

private:
    CGImageRef m_image;
    // The unturned size of the bitmap, or the size given for an image without
    // one, in pixels.
    CGSize m_pixelSize;
    CGFloat m_scale;
    UIImageOrientation m_orientation;
};

// PNG bytes of the image's bitmap as it is stored (the orientation is not
// applied); nothing without a bitmap.
CFData UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image);
// Writes UIImagePNGRepresentation to a host path; false when it cannot.
bool UIImageWritePNGToFile(const std::shared_ptr<UIImage>& image,
                           const std::filesystem::path& hostPath);
