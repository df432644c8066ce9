#include "platform/posix/Sysctl.h"

#include "platform/uikit/UIDevice.h"

#include <cerrno>
#include <cstring>
#include <string>

int sysctlbyname(const char* name, void* oldValue, size_t* oldLength, void* newValue,
                 size_t newLength) {
    if (!name || std::strcmp(name, "hw.machine") != 0) {
        errno = ENOENT;
        return -1;
    }
    if (newValue || newLength) {
        errno = EPERM;
        return -1;
    }
    if (!oldLength) {
        errno = EINVAL;
        return -1;
    }
    std::string machine = UIDevice::currentDevice()->machine();
    size_t needed = machine.size() + 1;
    if (!oldValue) {
        *oldLength = needed;
        return 0;
    }
    if (*oldLength < needed) {
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(oldValue, machine.c_str(), needed);
    *oldLength = needed;
    return 0;
}
