#include "platform/system/SystemLog.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Log lines stay readable by the tests; standard error stays quiet.
    SystemLog::shared().setEchoToStandardError(false);
    return RUN_ALL_TESTS();
}
