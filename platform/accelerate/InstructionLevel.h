#pragma once

#include <optional>
#include <string_view>

// The x86-64 instruction levels the vector kernels are built for, lowest
// first. One is chosen once from what the processor has; ROTIX_ISA (a level's
// name) may force a lower one, so that every level can be run and checked on
// one machine.
enum class InstructionLevel { Baseline, X86_64_V3, X86_64_V4 };

constexpr InstructionLevel kAllInstructionLevels[] = {
    InstructionLevel::Baseline, InstructionLevel::X86_64_V3, InstructionLevel::X86_64_V4};

// "baseline", "x86-64-v3" or "x86-64-v4", as ROTIX_ISA spells them.
std::string_view instructionLevelName(InstructionLevel level);
std::optional<InstructionLevel> instructionLevelNamed(std::string_view name);

// The highest level the processor runs.
InstructionLevel supportedInstructionLevel();

// The level the kernels run at: the supported one, or the one ROTIX_ISA names
// when the processor has it.
InstructionLevel activeInstructionLevel();

// Makes the kernels run at this level, or at the highest supported one below
// it; returns the level now in force. For tests and benchmarks.
InstructionLevel setActiveInstructionLevel(InstructionLevel level);

// Picks the entry of a per-level table for the active level.
template <class Kernel>
struct InstructionLevelTable {
    Kernel baseline;
    Kernel x86_64_v3;
    Kernel x86_64_v4;

    Kernel active() const {
        switch (activeInstructionLevel()) {
        case InstructionLevel::X86_64_V4:
            return x86_64_v4;
        case InstructionLevel::X86_64_V3:
            return x86_64_v3;
        case InstructionLevel::Baseline:
            break;
        }
        return baseline;
    }
};

// Marks the functions compiled for one level. Their bodies are usually one
// call of an always-inlined template, which then takes that level's
// instructions: a function without a target may be inlined into one with a
// wider target, and the vectors are generated after inlining.
#define ROTIX_TARGET_X86_64_V3 __attribute__((target("arch=x86-64-v3")))
#define ROTIX_TARGET_X86_64_V4 __attribute__((target("arch=x86-64-v4")))
