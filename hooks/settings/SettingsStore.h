#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <cstdint>
#include <optional>
#include <string>

// The player's options, read from the preference store at each use and never
// cached. A flag is on only when the stored value is the boolean true itself;
// a number 1 or a string "true" counts as off. The Settings app writes these
// domains; the player only reads them.
class SettingsStore {
public:
    static constexpr const char* kMainDomain = "com.varlo.rotixsettings";
    static constexpr const char* kSecondDomain = "com.varlo.rotixsettings2";

    // Brings the process's view of the main domain up to date.
    static void synchronize();

    static std::optional<CFPropertyList> value(const std::string& key,
                                               const char* domain = kMainDomain);

    // On only for the boolean true.
    static bool flag(const std::string& key, const char* domain = kMainDomain);
    // "seeking" is on when absent, and off for any stored value other than
    // the boolean true.
    static bool seekingEnabled();

    // floatValue of the stored object. A dictionary, array, data or date has
    // no number to give and reads as absent, so the key's default applies.
    static std::optional<float> floatValue(const std::string& key);
    // The stored number as a signed 32-bit integer.
    static std::optional<std::int32_t> intValue(const std::string& key);

    // A value key of a pair, read only when its flag is on and the value is
    // present.
    static std::optional<float> pairedFloat(const std::string& flagKey,
                                            const std::string& valueKey);

    // The point size of a font pair, through which every font size is read.
    // A size that is not finite or lies outside these bounds counts as absent
    // and takes the caller's default: no label can be drawn at it.
    static constexpr float kMinimumFontSize = 1;
    static constexpr float kMaximumFontSize = 512;
    static std::optional<float> pairedFontSize(const std::string& flagKey,
                                               const std::string& valueKey);
};
