#include "platform/foundation/NSDate.h"

std::shared_ptr<NSDate> NSDate::date() {
    return makeObject<NSDate>(CFAbsoluteTimeGetCurrent());
}

// The platform's distant dates lie about 2000 years either side of the
// reference date.
std::shared_ptr<NSDate> NSDate::distantPast() {
    return makeObject<NSDate>(-63114076800.0);
}

std::shared_ptr<NSDate> NSDate::distantFuture() {
    return makeObject<NSDate>(63113904000.0);
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds) {
    return makeObject<NSDate>(seconds);
}

std::shared_ptr<NSDate> NSDate::dateByAddingTimeInterval(NSTimeInterval seconds) const {
    return makeObject<NSDate>(m_time + seconds);
}
