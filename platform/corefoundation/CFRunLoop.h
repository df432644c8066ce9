#pragma once

#include "platform/corefoundation/Clock.h"

#include <functional>

// What Core Foundation needs of the main run loop, which lives above it in
// Foundation: a block run on the main thread at a later turn, and the loop's
// clock. Foundation's run loop installs itself here as the library loads.
class CFRunLoop {
public:
    using Block = std::function<void()>;

    virtual ~CFRunLoop() = default;
    // Safe to call from any thread; the block never runs inside the call.
    virtual void performBlock(Block block) = 0;
    // The system clock for people, the manual one in tests and scenarios.
    virtual CFAbsoluteTime currentTime() const = 0;

    // The loop lives as long as the process.
    static void setMain(CFRunLoop* loop);
};

using CFRunLoopRef = CFRunLoop*;

// Nothing until Foundation has installed the main loop.
CFRunLoopRef CFRunLoopGetMain();
// Does nothing on no loop, as a message to nil would.
void CFRunLoopPerformBlock(CFRunLoopRef loop, CFRunLoop::Block block);
// The main loop's clock, or the system's before there is one.
CFAbsoluteTime CFAbsoluteTimeGetCurrent();
