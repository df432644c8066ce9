#pragma once

#include "platform/corefoundation/CFString.h"

// +stringWithFormat:, on Core Foundation's formatter.
template <class... Args>
std::string stringWithFormat(std::string_view format, Args&&... args) {
    return CFStringCreateWithFormat(format, {CFFormatArgument(std::forward<Args>(args))...});
}
