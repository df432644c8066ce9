#pragma once

#include <memory>

// A colour space. Every bitmap here is device RGB; the space is carried so
// that code written against the platform's bitmap functions reads as it would
// there.
struct CGColorSpace {
    enum class Model { RGB };
    Model model = Model::RGB;
};

using CGColorSpaceRef = std::shared_ptr<const CGColorSpace>;

inline CGColorSpaceRef CGColorSpaceCreateDeviceRGB() {
    static const CGColorSpaceRef space = std::make_shared<const CGColorSpace>();
    return space;
}
