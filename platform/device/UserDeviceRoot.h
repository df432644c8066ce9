#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// The device root a person's programs share when they are given none:
// $XDG_STATE_HOME/rotix, by default ~/.local/state/rotix, where desktop
// programs keep their state. It is made from the program's image on first
// use and kept in step with the image after.
class UserDeviceRoot {
public:
    // Reads one environment variable; nothing when it is unset.
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    // The folder, from the process's environment; nothing when neither an
    // absolute XDG_STATE_HOME nor an absolute HOME says where it goes.
    static std::optional<std::filesystem::path> folder();
    static std::optional<std::filesystem::path> folder(const Environment& environment);

    // What stood in the way of making or refreshing the root: the file or
    // folder, and a reason that follows its name ("cannot be made: ...").
    struct Problem {
        std::filesystem::path path;
        std::string reason;
    };

    // Makes the root from the image, or brings the image's parts of it up to
    // date when the image changed since; the preferences stay as they are.
    static std::optional<Problem> prepare(const std::filesystem::path& root,
                                          const std::filesystem::path& image);
};
