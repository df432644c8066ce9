#include "platform/uikit/UIDeviceProfile.h"

#include <charconv>
#include <cmath>

UIDeviceProfile UIDeviceProfile::iPhoneSE() {
    return {"iphone-se", {320, 568}, 2, UIUserInterfaceIdiom::Phone, "iPhone8,4"};
}

UIDeviceProfile UIDeviceProfile::iPhone7() {
    return {"iphone-7", {375, 667}, 2, UIUserInterfaceIdiom::Phone, "iPhone9,1"};
}

UIDeviceProfile UIDeviceProfile::iPhone7Plus() {
    return {"iphone-7-plus", {414, 736}, 3, UIUserInterfaceIdiom::Phone, "iPhone9,2"};
}

UIDeviceProfile UIDeviceProfile::iPad() {
    return {"ipad", {768, 1024}, 2, UIUserInterfaceIdiom::Pad, "iPad6,11"};
}

namespace {
std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}
} // namespace

std::optional<UIDeviceProfile> UIDeviceProfile::named(std::string_view name,
                                                      std::optional<UIUserInterfaceIdiom> idiom) {
    std::optional<UIDeviceProfile> profile;
    if (name == "iphone-se")
        profile = iPhoneSE();
    else if (name == "iphone-7")
        profile = iPhone7();
    else if (name == "iphone-7-plus")
        profile = iPhone7Plus();
    else if (name == "ipad")
        profile = iPad();
    if (profile) {
        if (idiom)
            profile->idiom = *idiom;
        return profile;
    }
    // Free form: WxH@S, each side between 1 and 4096 points, scale 1 to 4.
    size_t x = name.find('x');
    size_t at = name.find('@');
    if (x == std::string_view::npos || at == std::string_view::npos || at < x)
        return std::nullopt;
    auto width = parseNumber(name.substr(0, x));
    auto height = parseNumber(name.substr(x + 1, at - x - 1));
    auto scale = parseNumber(name.substr(at + 1));
    if (!width || !height || !scale || *width < 1 || *height < 1 || *width > 4096 ||
        *height > 4096 || *scale < 1 || *scale > 4)
        return std::nullopt;
    UIUserInterfaceIdiom chosen = idiom.value_or(UIUserInterfaceIdiom::Phone);
    return UIDeviceProfile{std::string(name),
                           {*width, *height},
                           *scale,
                           chosen,
                           chosen == UIUserInterfaceIdiom::Pad ? "iPad6,11" : "iPhone9,1"};
}
