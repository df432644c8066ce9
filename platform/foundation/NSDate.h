#pragma once

#include "platform/corefoundation/CFRunLoop.h"
#include "platform/objc/NSObject.h"

#include <memory>

// A moment, in seconds since the reference date. Dates are objects because
// the platform stores them where objects go (associated values, dictionaries).
class NSDate : public NSObject {
public:
    static std::shared_ptr<NSDate> date();
    static std::shared_ptr<NSDate> distantPast();
    static std::shared_ptr<NSDate> distantFuture();
    static std::shared_ptr<NSDate> dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds);
    std::shared_ptr<NSDate> dateByAddingTimeInterval(NSTimeInterval seconds) const;

    NSTimeInterval timeIntervalSinceReferenceDate() const { return m_time; }
    NSTimeInterval timeIntervalSinceDate(const NSDate& other) const {
        return m_time - other.m_time;
    }
    std::string_view className() const override { return "NSDate"; }

protected:
    explicit NSDate(NSTimeInterval time) : m_time(time) {}

private:
    NSTimeInterval m_time;
};
