#include "hooks/settings/SettingsStore.h"

#include "platform/corefoundation/CFPreferences.h"

void SettingsStore::synchronize() {
    CFPreferencesAppSynchronize(kMainDomain);
}

std::optional<CFPropertyList> SettingsStore::value(const std::string& key, const char* domain) {
    return CFPreferencesCopyAppValue(key, domain);
}

bool SettingsStore::flag(const std::string& key, const char* domain) {
    auto stored = value(key, domain);
    return stored && stored->isBooleanTrue();
}

bool SettingsStore::seekingEnabled() {
    auto stored = value("seeking");
    return !stored || stored->isBooleanTrue();
}

std::optional<float> SettingsStore::floatValue(const std::string& key) {
    auto stored = value(key);
    if (!stored || !(stored->isNumber() || stored->isBoolean() || stored->isString()))
        return std::nullopt;
    return stored->floatValue();
}

std::optional<std::int32_t> SettingsStore::intValue(const std::string& key) {
    auto stored = value(key);
    if (!stored)
        return std::nullopt;
    return stored->intValue();
}

std::optional<float> SettingsStore::pairedFloat(const std::string& flagKey,
                                                const std::string& valueKey) {
    if (!flag(flagKey))
        return std::nullopt;
    return floatValue(valueKey);
}

std::optional<float> SettingsStore::pairedFontSize(const std::string& flagKey,
                                                   const std::string& valueKey) {
    auto size = pairedFloat(flagKey, valueKey);
    // Written so that a NaN fails the test too.
    if (!size || !(*size >= kMinimumFontSize && *size <= kMaximumFontSize))
        return std::nullopt;
    return size;
}
