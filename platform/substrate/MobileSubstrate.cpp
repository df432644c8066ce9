#include "platform/substrate/MobileSubstrate.h"

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/device/DeviceRoot.h"
#include "platform/system/SystemLog.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <plist/plist.h>

namespace {

constexpr const char* kExtensionsFolder = "/Library/MobileSubstrate/DynamicLibraries";
constexpr std::uintmax_t kMaximumFilterSize = 64 * 1024;

// The bundle identifiers a filter plist names under Filter/Bundles.
std::vector<std::string> filterBundles(const std::filesystem::path& path) {
    std::vector<std::string> bundles;
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaximumFilterSize)
        return bundles;
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root)
        return bundles;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_t filter = plist_dict_get_item(root, "Filter");
        plist_t list = filter && plist_get_node_type(filter) == PLIST_DICT
                           ? plist_dict_get_item(filter, "Bundles")
                           : nullptr;
        if (list && plist_get_node_type(list) == PLIST_ARRAY) {
            for (uint32_t i = 0; i < plist_array_get_size(list); ++i) {
                plist_t item = plist_array_get_item(list, i);
                if (plist_get_node_type(item) != PLIST_STRING)
                    continue;
                char* text = nullptr;
                plist_get_string_val(item, &text);
                if (text) {
                    bundles.emplace_back(text);
                    std::free(text);
                }
            }
        }
    }
    plist_free(root);
    return bundles;
}

} // namespace

MobileSubstrate::Result
MobileSubstrate::loadExtensionsForBundleIdentifier(const std::string& bundleIdentifier) {
    Result result;
    auto folder = DeviceRoot::resolve(kExtensionsFolder);
    std::error_code error;
    if (!folder || !std::filesystem::is_directory(*folder, error))
        return result;
    std::vector<std::filesystem::path> filters;
    for (const auto& entry : std::filesystem::directory_iterator(*folder, error)) {
        if (entry.path().extension() == ".plist")
            filters.push_back(entry.path());
    }
    // Alphabetical, as the substrate loads them.
    std::sort(filters.begin(), filters.end());
    for (const auto& filter : filters) {
        auto bundles = filterBundles(filter);
        if (std::find(bundles.begin(), bundles.end(), bundleIdentifier) == bundles.end())
            continue;
        std::filesystem::path library = filter;
        library.replace_extension(".dylib");
        if (!std::filesystem::exists(library, error)) {
            result.errors.push_back(library.string() + ": no library next to the filter");
            continue;
        }
        // The process keeps its extensions for its whole life.
        if (!dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
            const char* message = dlerror();
            result.errors.push_back(library.string() + ": " +
                                    (message ? message : "dlopen failed"));
            SystemLog::shared().write("MobileSubstrate", result.errors.back());
            continue;
        }
        result.loaded.push_back({library.stem().string(), library.string()});
    }
    return result;
}
