#include "apps/common/WindowOptions.h"

#include <gtest/gtest.h>
#include <map>

namespace {

std::optional<std::string> reasonWith(const std::map<std::string, std::string>& variables) {
    return displayUnavailableReason([&](const char* name) -> const char* {
        auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    });
}

TEST(ActivatorKeyOption, KeyAndListenerAreSplitAtTheFirstEquals) {
    auto key = parseActivatorKey("N=org.brenwick.rotix");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->key, "n");
    EXPECT_EQ(key->listener, "org.brenwick.rotix");
    auto odd = parseActivatorKey("f5=a=b");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->key, "f5");
    EXPECT_EQ(odd->listener, "a=b");
    EXPECT_EQ(defaultActivatorKey(), (ActivatorKey{"n", "org.brenwick.rotix"}));
}

TEST(ActivatorKeyOption, HalvesMissingOrEscapeAreRefused) {
    for (const char* bad : {"", "n", "=listener", "n=", "=", "Escape=listener"})
        EXPECT_FALSE(parseActivatorKey(bad)) << bad;
}

TEST(DisplayCheck, AnX11OrWaylandDisplayIsEnough) {
    EXPECT_FALSE(reasonWith({{"DISPLAY", ":0"}}));
    EXPECT_FALSE(reasonWith({{"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_FALSE(reasonWith({{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", ":1"}}));
    // A console driver finds its own display.
    EXPECT_FALSE(reasonWith({{"SDL_VIDEODRIVER", "kmsdrm"}}));
}

TEST(DisplayCheck, NoDisplayOrAnInvisibleDriverIsSaidInOneLine) {
    for (const auto& variables : std::vector<std::map<std::string, std::string>>{
             {},
             {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
             {{"SDL_VIDEODRIVER", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}},
             {{"SDL_VIDEODRIVER", "wayland"}, {"DISPLAY", ":0"}},
             {{"SDL_VIDEODRIVER", "offscreen"}, {"DISPLAY", ":0"}},
             {{"SDL_VIDEODRIVER", "Dummy"}, {"DISPLAY", ":0"}},
         }) {
        auto reason = reasonWith(variables);
        ASSERT_TRUE(reason);
        EXPECT_FALSE(reason->empty());
        EXPECT_EQ(reason->find('\n'), std::string::npos) << *reason;
    }
    EXPECT_TRUE(isInvisibleVideoDriver("OFFSCREEN"));
    EXPECT_FALSE(isInvisibleVideoDriver("x11"));
}

} // namespace
