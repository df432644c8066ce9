#pragma once

#include <string>
#include <vector>

// The tweak loader: at a process's start it loads every extension library in
// "/Library/MobileSubstrate/DynamicLibraries" whose filter property list names
// the process's bundle identifier. Loading runs the library's initialisers.
class MobileSubstrate {
public:
    struct Loaded {
        std::string name;
        std::string path;
    };
    struct Result {
        std::vector<Loaded> loaded;
        std::vector<std::string> errors;
    };

    static Result loadExtensionsForBundleIdentifier(const std::string& bundleIdentifier);
};
