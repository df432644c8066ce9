#pragma once

#include "apps/common/Scenario.h"
#include "fuzz/ScenarioSandbox.h"

// A host whose scenario lines a fuzz target runs: one host lives for the
// whole run, in a sandbox made before it. The target's file defines
// scenarioFuzzTarget(); the libFuzzer entry points that use it are shared.
class ScenarioFuzzTarget {
public:
    virtual ~ScenarioFuzzTarget() = default;

    const ScenarioSandbox& sandbox() const { return m_sandbox; }
    Scenario& scenario() { return m_scenario; }

    // Brings the host back to where every input starts, so that an input
    // means the same alone as after any other.
    virtual void reset() = 0;
    // Starts the host, for an input none of whose lines did.
    virtual void boot() = 0;
    // Looks at what the input left behind; a finding traps.
    virtual void check() {}

private:
    ScenarioSandbox m_sandbox;
    Scenario m_scenario;
};

// The one host of this fuzz target, made on first use.
ScenarioFuzzTarget& scenarioFuzzTarget();
