#include "apps/common/DeviceChoice.h"

#include "apps/common/QuotedName.h"

std::optional<UIDeviceProfile> parseDeviceChoice(const std::vector<std::string>& words,
                                                 std::string* error) {
    std::string ignored;
    if (!error)
        error = &ignored;
    if (words.empty() || words.size() > 2) {
        *error = "a device is NAME|WxH@S [phone|pad]";
        return std::nullopt;
    }
    std::optional<UIUserInterfaceIdiom> idiom;
    if (words.size() == 2) {
        if (words[1] == "phone") {
            idiom = UIUserInterfaceIdiom::Phone;
        } else if (words[1] == "pad") {
            idiom = UIUserInterfaceIdiom::Pad;
        } else {
            *error = "the idiom is phone or pad";
            return std::nullopt;
        }
    }
    auto profile = UIDeviceProfile::named(words[0], idiom);
    if (!profile)
        *error = "unknown device " + quotedName(words[0]);
    return profile;
}
