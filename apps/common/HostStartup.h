#pragma once

#include <optional>
#include <string>

// What every host does before it builds anything.

// Descriptors 0 to 2 that are closed at start get /dev/null, opened for
// reading only: otherwise the first pipe or file the host opens takes their
// number and a dump to standard output lands in it, while this way a write to
// a closed standard output still fails and is reported.
void reserveStandardDescriptors();

// Why the --root option cannot be the device root (it is missing, or not a
// folder), or nothing when it can; an empty option means the default root.
std::optional<std::string> deviceRootProblem(const std::string& root);
