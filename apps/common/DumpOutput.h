#pragma once

#include <optional>
#include <string>

// Writes a dump to the file, or to standard output for "-", and makes sure
// every byte arrived: answers why not (a full disk, a closed standard
// output), or nothing when it did.
std::optional<std::string> writeDump(const std::string& text, const std::string& destination);
