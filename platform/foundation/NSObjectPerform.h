#pragma once

#include "platform/objc/NSObject.h"

// -performSelector:withObject:afterDelay: — the run loop holds the receiver
// and the object strongly until the selector has been performed.
void performSelectorAfterDelay(const id& receiver, const SEL& selector, const id& object,
                               double delay);
