#pragma once

#include "apps/common/Scenario.h"
#include "platform/foundation/NSRunLoop.h"

#include <functional>
#include <string>

// Feeds a scenario one line at a time as lines arrive on a descriptor
// (usually standard input), from the main run loop, so that a person or a
// test can drive a host that runs on the system clock. A failing line is
// reported and the session goes on; the end of input finishes it.
class LiveScenario {
public:
    using FailureHandler = std::function<void(const std::string& message)>;
    using FinishedHandler = std::function<void()>;

    LiveScenario(Scenario& scenario, int fd, std::string name, FailureHandler onFailure,
                 FinishedHandler onFinished);
    ~LiveScenario();
    LiveScenario(const LiveScenario&) = delete;
    LiveScenario& operator=(const LiveScenario&) = delete;

    bool isFinished() const { return m_finished; }

private:
    void readAvailable();
    void readLines();
    void runCompleteLines();
    void finish();

    Scenario& m_scenario;
    int m_fd;
    std::string m_name;
    FailureHandler m_onFailure;
    FinishedHandler m_onFinished;
    NSRunLoop::Token m_watch = 0;
    std::string m_buffer;
    bool m_discardingLongLine = false;
    int m_lineNumber = 0;
    bool m_finished = false;
};
