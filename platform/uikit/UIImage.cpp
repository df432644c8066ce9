#include "platform/uikit/UIImage.h"

#include "platform/device/DeviceRoot.h"
#include "platform/graphics/CGCairo.h"
#include "platform/graphics/CGImageIO.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreenScale.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <vector>

namespace {

CGFloat sanitizedScale(CGFloat scale) {
    return std::isfinite(scale) && scale > 0 ? scale : 1;
}

// The scale a file name claims: "name@2x.png" is 2, "name@3x.png" is 3.
CGFloat scaleOfFileName(const std::filesystem::path& path) {
    std::string stem = path.stem().string();
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0)
        return 2;
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@3x") == 0)
        return 3;
    return 1;
}

std::optional<std::vector<std::uint8_t>> readBoundedFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kCGImageMaximumDataSize)
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    // Read one byte past the limit, in case the file grew since it was sized.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size) + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

// Where each corner of the bitmap goes for display: display coordinates (X,
// Y) in the unit square, y down, as a + b U + c V of the bitmap's unit
// coordinates (U, V), first row at V 0.
struct OrientationMap {
    double a, b, c, d, e, f; // X = a U + c V + e, Y = b U + d V + f
};

OrientationMap orientationMap(UIImageOrientation orientation) {
    switch (orientation) {
    case UIImageOrientationDown:
        return {-1, 0, 0, -1, 1, 1};
    case UIImageOrientationLeft:
        return {0, -1, 1, 0, 0, 1};
    case UIImageOrientationRight:
        return {0, 1, -1, 0, 1, 0};
    case UIImageOrientationUpMirrored:
        return {-1, 0, 0, 1, 1, 0};
    case UIImageOrientationDownMirrored:
        return {1, 0, 0, -1, 0, 1};
    case UIImageOrientationLeftMirrored:
        return {0, 1, 1, 0, 0, 0};
    case UIImageOrientationRightMirrored:
        return {0, -1, -1, 0, 1, 1};
    case UIImageOrientationUp:
    default:
        return {1, 0, 0, 1, 0, 0};
    }
}

bool swapsSides(UIImageOrientation orientation) {
    return orientation == UIImageOrientationLeft || orientation == UIImageOrientationRight ||
           orientation == UIImageOrientationLeftMirrored ||
           orientation == UIImageOrientationRightMirrored;
}

} // namespace

UIImage::UIImage(CGImageRef image, CGSize pixelSize, CGFloat scale, UIImageOrientation orientation)
    : m_image(std::move(image)), m_pixelSize(pixelSize), m_scale(scale),
      m_orientation(orientation) {}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(const CGImageRef& image, CGFloat scale,
                                                   UIImageOrientation orientation) {
    if (!image)
        return nullptr;
    if (orientation < UIImageOrientationUp || orientation > UIImageOrientationRightMirrored)
        orientation = UIImageOrientationUp;
    CGSize pixels{double(image->width()), double(image->height())};
    return makeObject<UIImage>(image, pixels, sanitizedScale(scale), orientation);
}

std::shared_ptr<UIImage> UIImage::imageWithSize(CGSize size, CGFloat scale) {
    scale = sanitizedScale(scale);
    CGSize pixels{std::max(0.0, size.width) * scale, std::max(0.0, size.height) * scale};
    if (!std::isfinite(pixels.width) || !std::isfinite(pixels.height))
        pixels = CGSizeZero;
    return makeObject<UIImage>(nullptr, pixels, scale, UIImageOrientationUp);
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::span<const std::uint8_t> bytes) {
    return imageWithCGImage(CGImageCreateWithData(bytes), 1, UIImageOrientationUp);
}

std::shared_ptr<UIImage> UIImage::imageWithData(const CFData& data) {
    if (!data)
        return nullptr;
    return imageWithData(std::span<const std::uint8_t>(*data));
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(std::string_view devicePath) {
    std::optional<std::filesystem::path> hostPath = DeviceRoot::resolve(devicePath);
    if (!hostPath)
        return nullptr;

    // As on the platform, a screen of scale 2 or 3 looks for the variant
    // drawn for it first; a name that already says its scale is taken as is.
    std::vector<std::filesystem::path> candidates;
    if (scaleOfFileName(*hostPath) == 1) {
        long screenScale = std::lround(UIScreenMainScale());
        for (long scale = std::min(screenScale, 3L); scale >= 2; --scale) {
            std::filesystem::path variant = *hostPath;
            variant.replace_filename(hostPath->stem().string() + "@" + std::to_string(scale) + "x" +
                                     hostPath->extension().string());
            candidates.push_back(variant);
        }
    }
    candidates.push_back(*hostPath);

    for (const auto& candidate : candidates) {
        std::error_code error;
        if (!std::filesystem::exists(candidate, error))
            continue;
        std::optional<std::vector<std::uint8_t>> bytes = readBoundedFile(candidate);
        if (!bytes)
            return nullptr;
        return imageWithCGImage(CGImageCreateWithData(*bytes), scaleOfFileName(candidate),
                                UIImageOrientationUp);
    }
    return nullptr;
}

CGSize UIImage::size() const {
    CGSize points{m_pixelSize.width / m_scale, m_pixelSize.height / m_scale};
    if (swapsSides(m_orientation))
        std::swap(points.width, points.height);
    return points;
}

void UIImage::drawInRect(CGRect rect) const {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context || !m_image)
        return;
    OrientationMap map = orientationMap(m_orientation);
    double width = double(m_image->width());
    double height = double(m_image->height());
    double rectWidth = rect.size.width;
    double rectHeight = rect.size.height;
    cairo_matrix_t pixelToUser;
    cairo_matrix_init(&pixelToUser, rectWidth * map.a / width, rectHeight * map.b / width,
                      rectWidth * map.c / height, rectHeight * map.d / height,
                      rect.origin.x + rectWidth * map.e, rect.origin.y + rectHeight * map.f);
    context->drawImage(m_image, pixelToUser);
}

void UIImage::drawAtPoint(CGPoint point) const {
    drawInRect({point, size()});
}

std::string UIImage::contentHash() const {
    return m_image ? m_image->contentHash() : "";
}

CFData UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image) {
    return image ? CGImageCreatePNGData(image->CGImage()) : nullptr;
}

bool UIImageWritePNGToFile(const std::shared_ptr<UIImage>& image,
                           const std::filesystem::path& hostPath) {
    return image && CGImageWritePNGToFile(image->CGImage(), hostPath);
}
