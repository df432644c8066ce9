#include "fuzz/ScenarioFuzzTarget.h"

#include <cstddef>
#include <cstdint>

// The host is made before the first input, so that its start is not taken
// for the work of one.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scenarioFuzzTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScenarioFuzzTarget& target = scenarioFuzzTarget();
    target.reset();
    target.sandbox().run(target.scenario(), data, size, [&] { target.boot(); });
    target.check();
    return 0;
}
