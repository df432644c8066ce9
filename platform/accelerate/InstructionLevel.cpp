#include "platform/accelerate/InstructionLevel.h"

#include "platform/system/SystemLog.h"

#include <algorithm>
#include <atomic>
#if defined(__x86_64__)
#include <cpuid.h>
#endif
#include <cstdlib>
#include <string>

namespace {

#if defined(__x86_64__)
// A feature bit of a cpuid leaf (register 0 to 3: eax, ebx, ecx, edx), for
// the features not every compiler's __builtin_cpu_supports names.
bool cpuidBit(unsigned leaf, int reg, int bit) {
    unsigned registers[4] = {};
    if (!__get_cpuid(leaf, &registers[0], &registers[1], &registers[2], &registers[3]))
        return false;
    return (registers[reg] >> bit) & 1;
}
#endif

InstructionLevel detectSupportedLevel() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    // The feature lists of the psABI's levels; the operating system's support
    // for the wider registers is part of what the compiler's test reports.
    const bool v2 = __builtin_cpu_supports("sse3") && __builtin_cpu_supports("ssse3") &&
                    __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2") &&
                    __builtin_cpu_supports("popcnt");
    const bool v3 = v2 && __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") &&
                    __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
                    __builtin_cpu_supports("fma") && cpuidBit(1, 2, 29) /* F16C */ &&
                    cpuidBit(1, 2, 22) /* MOVBE */ && cpuidBit(0x80000001, 2, 5) /* LZCNT */;
    const bool v4 = v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                    __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512dq") &&
                    __builtin_cpu_supports("avx512vl");
    if (v4)
        return InstructionLevel::X86_64_V4;
    if (v3)
        return InstructionLevel::X86_64_V3;
#endif
    return InstructionLevel::Baseline;
}

// The environment's choice, checked once: an unknown name or a level the
// processor lacks leaves the supported level, with one line in the log.
InstructionLevel initialLevel() {
    const InstructionLevel supported = supportedInstructionLevel();
    const char* forced = std::getenv("ROTIX_ISA");
    if (!forced || !*forced)
        return supported;
    const std::optional<InstructionLevel> named = instructionLevelNamed(forced);
    if (!named) {
        SystemLog::shared().write("Accelerate", "ROTIX_ISA=" + std::string(forced) +
                                                    " names no level; running " +
                                                    std::string(instructionLevelName(supported)));
        return supported;
    }
    if (*named > supported) {
        SystemLog::shared().write("Accelerate", "ROTIX_ISA=" + std::string(forced) +
                                                    " is beyond this processor; running " +
                                                    std::string(instructionLevelName(supported)));
        return supported;
    }
    return *named;
}

std::atomic<InstructionLevel>& level() {
    static std::atomic<InstructionLevel> active{initialLevel()};
    return active;
}

} // namespace

std::string_view instructionLevelName(InstructionLevel level) {
    switch (level) {
    case InstructionLevel::X86_64_V4:
        return "x86-64-v4";
    case InstructionLevel::X86_64_V3:
        return "x86-64-v3";
    case InstructionLevel::Baseline:
        break;
    }
    return "baseline";
}

std::optional<InstructionLevel> instructionLevelNamed(std::string_view name) {
    for (InstructionLevel level : kAllInstructionLevels)
        if (instructionLevelName(level) == name)
            return level;
    return std::nullopt;
}

InstructionLevel supportedInstructionLevel() {
    static const InstructionLevel supported = detectSupportedLevel();
    return supported;
}

InstructionLevel activeInstructionLevel() {
    return level().load(std::memory_order_relaxed);
}

InstructionLevel setActiveInstructionLevel(InstructionLevel wanted) {
    const InstructionLevel chosen = std::min(wanted, supportedInstructionLevel());
    level().store(chosen, std::memory_order_relaxed);
    return chosen;
}
