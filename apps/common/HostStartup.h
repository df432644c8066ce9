#pragma once

#include <optional>
#include <string>

// What every host does before it builds anything.

// Descriptors 0 to 2 that are closed at start get /dev/null, opened for
// reading only: otherwise the first pipe or file the host opens takes their
// number and a dump to standard output lands in it, while this way a write to
// a closed standard output still fails and is reported.
void reserveStandardDescriptors();

// The device root a host runs on. The --root option names one: it must be a
// folder, and not the program's own image, which is never written. Without
// it the root is the person's own (UserDeviceRoot), made or refreshed from
// the program's image. Sets root to the folder chosen, or answers why none
// could be had.
std::optional<std::string> chooseDeviceRoot(std::string& root);
