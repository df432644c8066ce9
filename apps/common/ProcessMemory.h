#pragma once

#include "platform/render/DumpJson.h"

// The host's own resident memory as the kernel counts it, for dumps: a long
// run can show that it stays flat.
class ProcessMemory {
public:
    // {"residentKB", "peakResidentKB"}; nulls where the kernel does not tell.
    static Json dump();
};
