#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/device/DeviceRoot.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/system/SystemLog.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>

// Every test runs on a fresh manual clock with a device root of its own in a
// temporary folder, so nothing depends on the machine's speed or its files.
class ManualClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_clock = std::make_shared<ManualClock>();
        NSRunLoop::mainRunLoop().setClock(m_clock);
        std::random_device random;
        m_root = std::filesystem::temp_directory_path() /
                 ("rotix-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_root);
        DeviceRoot::set(m_root);
        SystemLog::shared().clear();
    }

    void TearDown() override {
        // Leave nothing scheduled for the next test.
        NSRunLoop::mainRunLoop().runFor(1000);
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }

    void run(double seconds) { NSRunLoop::mainRunLoop().runFor(seconds); }
    CFAbsoluteTime now() const { return m_clock->now(); }
    const std::filesystem::path& root() const { return m_root; }

    std::shared_ptr<ManualClock> m_clock;
    std::filesystem::path m_root;
};
