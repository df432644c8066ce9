#pragma once

#include "platform/graphics/CGGeometry.h"

#include <optional>
#include <string>
#include <string_view>

enum class UIUserInterfaceIdiom : long { Unspecified = -1, Phone = 0, Pad = 1 };

// A device the hosts can play: its screen in points, its scale, its idiom and
// the machine identifier it reports.
struct UIDeviceProfile {
    std::string name;
    CGSize screenSize;
    CGFloat scale = 2;
    UIUserInterfaceIdiom idiom = UIUserInterfaceIdiom::Phone;
    std::string machine;

    static UIDeviceProfile iPhoneSE();
    static UIDeviceProfile iPhone7();
    static UIDeviceProfile iPhone7Plus();
    static UIDeviceProfile iPad();

    // "iphone-se", "iphone-7", "iphone-7-plus", "ipad" or "WxH@S"; with an
    // optional idiom for the free form. Nothing for anything else.
    static std::optional<UIDeviceProfile> named(std::string_view name,
                                                std::optional<UIUserInterfaceIdiom> idiom = {});
};
