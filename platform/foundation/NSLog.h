#pragma once

#include "platform/foundation/NSString.h"
#include "platform/system/SystemLog.h"

// Writes one formatted line to the system log.
template <class... Args>
void NSLog(std::string_view format, Args&&... args) {
    SystemLog::shared().write("NSLog", stringWithFormat(format, std::forward<Args>(args)...));
}
