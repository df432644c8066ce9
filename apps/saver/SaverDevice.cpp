#include "apps/saver/SaverDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The short sides of the phone the hosts play by default and of a tablet.
constexpr double kPhoneWidth = 414;
constexpr double kTabletShortSide = 768;
// The tablet's landscape layout stands on the middle line of its upright
// screen, so a tablet longer than 4:3 would put its ring and buttons below
// the turned screen: a wider window shows a 4:3 screen, centred.
constexpr double kTabletLongestSide = 1024;

std::string profileName(CGSize size, double scale) {
    char name[96];
    std::snprintf(name, sizeof name, "%gx%g@%.4g", size.width, size.height, scale);
    return name;
}

} // namespace

SaverDevice SaverDevice::forWindow(int width, int height) {
    double pixelsWide = std::max(1, width);
    double pixelsHigh = std::max(1, height);
    SaverDevice device;
    if (pixelsHigh >= pixelsWide) {
        CGSize size{kPhoneWidth, std::round(kPhoneWidth * pixelsHigh / pixelsWide)};
        double scale = pixelsWide / kPhoneWidth;
        device.profile = {profileName(size, scale), size, scale, UIUserInterfaceIdiom::Phone,
                          "iPhone9,1"};
        device.orientation = UIDeviceOrientation::Portrait;
        return device;
    }
    double longSide =
        std::min(kTabletLongestSide, std::round(kTabletShortSide * pixelsWide / pixelsHigh));
    CGSize size{kTabletShortSide, longSide};
    double scale = std::min(pixelsWide / longSide, pixelsHigh / kTabletShortSide);
    device.profile = {profileName(size, scale), size, scale, UIUserInterfaceIdiom::Pad, "iPad6,11"};
    device.orientation = UIDeviceOrientation::LandscapeLeft;
    return device;
}

bool SaverDevice::sameLayout(const SaverDevice& other) const {
    return profile.idiom == other.profile.idiom &&
           profile.screenSize.width == other.profile.screenSize.width &&
           profile.screenSize.height == other.profile.screenSize.height &&
           orientation == other.orientation;
}
