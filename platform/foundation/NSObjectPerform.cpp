#include "platform/foundation/NSObjectPerform.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/objc/Runtime.h"

void performSelectorAfterDelay(const id& receiver, const SEL& selector, const id& object,
                               double delay) {
    if (!receiver)
        return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.schedule(loop.now() + delay,
                  [receiver, selector, object] { objc_sendAction(receiver, selector, object); });
}
