#pragma once

#include "platform/corefoundation/CFString.h"
#include "platform/system/SystemLog.h"

using CFLogLevel = int;
constexpr CFLogLevel kCFLogLevelEmergency = 0;
constexpr CFLogLevel kCFLogLevelAlert = 1;
constexpr CFLogLevel kCFLogLevelCritical = 2;
constexpr CFLogLevel kCFLogLevelError = 3;
constexpr CFLogLevel kCFLogLevelWarning = 4;
constexpr CFLogLevel kCFLogLevelNotice = 5;
constexpr CFLogLevel kCFLogLevelInfo = 6;
constexpr CFLogLevel kCFLogLevelDebug = 7;

// Writes one formatted line to the system log at the given level.
template <class... Args>
void CFLog(CFLogLevel level, std::string_view format, Args&&... args) {
    SystemLog::shared().write(
        "CFLog(" + std::to_string(level) + ")",
        CFStringCreateWithFormat(format, {CFFormatArgument(std::forward<Args>(args))...}));
}
