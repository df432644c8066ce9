#include "platform/corefoundation/Clock.h"

#include <chrono>

namespace {
// 2001-01-01 minus 1970-01-01, in seconds.
constexpr double kReferenceDateSinceUnixEpoch = 978307200.0;
} // namespace

CFAbsoluteTime SystemClock::now() const {
    auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(sinceEpoch).count() - kReferenceDateSinceUnixEpoch;
}

void ManualClock::advanceTo(CFAbsoluteTime time) {
    CFAbsoluteTime current = m_now.load();
    while (time > current && !m_now.compare_exchange_weak(current, time)) {
    }
}
