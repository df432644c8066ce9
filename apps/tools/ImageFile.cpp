#include "apps/tools/ImageFile.h"

#include "platform/graphics/CGImageIO.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

std::string describe(CGImageDecodeFailure failure) {
    switch (failure) {
    case CGImageDecodeFailure::None:
        return "no picture";
    case CGImageDecodeFailure::TooManyBytes:
        return "file larger than " + std::to_string(kCGImageMaximumDataSize >> 20) + " MiB";
    case CGImageDecodeFailure::UnknownFormat:
        return "not a PNG or JPEG file";
    case CGImageDecodeFailure::SideTooLong:
        return "a side longer than " + std::to_string(kCGImageMaximumSide) + " pixels";
    case CGImageDecodeFailure::TooManyPixels:
        return "more than " + std::to_string(kCGImageMaximumPixels) + " pixels";
    case CGImageDecodeFailure::TooFewBytes:
    case CGImageDecodeFailure::Malformed:
        return "damaged image data";
    }
    return "unreadable";
}

} // namespace

ImageFile ImageFile::read(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return {nullptr, "is a folder"};
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {nullptr, "cannot open it"};
    // One byte past the limit is enough to know the file is too large, so
    // a huge file is never read whole.
    std::vector<std::uint8_t> bytes(kCGImageMaximumDataSize + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad())
        return {nullptr, "cannot read it"};
    bytes.resize(static_cast<size_t>(file.gcount()));
    if (bytes.empty())
        return {nullptr, "empty file"};
    CGImageDecodeResult decoded = CGImageDecode(bytes);
    if (!decoded.image)
        return {nullptr, describe(decoded.failure)};
    return {std::move(decoded.image), {}};
}
