#include "platform/corefoundation/CFRunLoop.h"

#include <atomic>

namespace {
// Constant-initialised, so it is ready before any library's start-up code
// installs or asks for the loop.
constinit std::atomic<CFRunLoop*> mainLoop = nullptr;
} // namespace

void CFRunLoop::setMain(CFRunLoop* loop) {
    mainLoop.store(loop);
}

CFRunLoopRef CFRunLoopGetMain() {
    return mainLoop.load();
}

void CFRunLoopPerformBlock(CFRunLoopRef loop, CFRunLoop::Block block) {
    if (loop)
        loop->performBlock(std::move(block));
}

CFAbsoluteTime CFAbsoluteTimeGetCurrent() {
    if (CFRunLoopRef loop = CFRunLoopGetMain())
        return loop->currentTime();
    return SystemClock().now();
}
