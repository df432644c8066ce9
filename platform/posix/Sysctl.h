#pragma once

#include <cstddef>

// sysctlbyname(3) for the one name the system asks for: "hw.machine", the
// device's machine identifier ("iPhone9,2" on an iPhone 7 Plus) from the
// device profile the host chose. The answer is a C string with its
// terminating zero; with no buffer, only its length is given. Any other name
// fails with ENOENT, a buffer too small with ENOMEM, and setting with EPERM.
int sysctlbyname(const char* name, void* oldValue, size_t* oldLength, void* newValue,
                 size_t newLength);
