#include "platform/posix/ProcessSpawn.h"

#include "platform/posix/Sysctl.h"
#include "tests/settings/SettingsFixture.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

class ProcessSpawnTest : public SettingsTest {
protected:
    // A program that writes the arguments it was given, one a line, beside itself.
    std::string makeRecorder() {
        auto path = root() / "recorder.sh";
        std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"${0%/*}/arguments.txt\"\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }

    std::string recordedArguments() const {
        std::ifstream file(root() / "arguments.txt");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

TEST_F(ProcessSpawnTest, ARedirectedPathRunsTheOtherProgramWithTheSameArguments) {
    ProcessSpawn::redirect("/usr/bin/killall", makeRecorder());
    pid_t pid = 0;
    const char* arguments[] = {"killall", "backboardd", nullptr};
    ASSERT_EQ(ProcessSpawn::posix_spawn(&pid, "/usr/bin/killall", nullptr, nullptr,
                                        const_cast<char* const*>(arguments), nullptr),
              0);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(ProcessSpawn::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(recordedArguments(), "backboardd\n");

    auto records = ProcessSpawn::records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, "/usr/bin/killall");
    EXPECT_EQ(records[0].program, (root() / "recorder.sh").string());
    EXPECT_EQ(records[0].arguments, (std::vector<std::string>{"killall", "backboardd"}));
    EXPECT_EQ(records[0].pid, pid);
    EXPECT_EQ(records[0].waitOptions, 0);
    EXPECT_EQ(records[0].waitResult, pid);
    EXPECT_EQ(records[0].waitStatus, status);
}

TEST_F(ProcessSpawnTest, AnOptionTheSystemRefusesLeavesTheWaitUndoneAndRecordsWhy) {
    ProcessSpawn::redirect("/usr/bin/killall", "/bin/true");
    pid_t pid = 0;
    const char* arguments[] = {"killall", nullptr};
    ASSERT_EQ(ProcessSpawn::posix_spawn(&pid, "/usr/bin/killall", nullptr, nullptr,
                                        const_cast<char* const*>(arguments), nullptr),
              0);
    int status = 12345;
    // WEXITED is no option of waitpid(2) here.
    EXPECT_EQ(ProcessSpawn::waitpid(pid, &status, 4), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(status, 12345);
    auto record = ProcessSpawn::records().at(0);
    EXPECT_EQ(record.waitOptions, 4);
    EXPECT_EQ(record.waitResult, -1);
    EXPECT_EQ(record.waitError, EINVAL);
}

TEST_F(ProcessSpawnTest, AProgramThatIsNotThereIsRecordedAsNotStarted) {
    ProcessSpawn::redirect("/usr/bin/killall", (root() / "missing").string());
    pid_t pid = 77;
    const char* arguments[] = {"killall", nullptr};
    int result = ProcessSpawn::posix_spawn(&pid, "/usr/bin/killall", nullptr, nullptr,
                                           const_cast<char* const*>(arguments), nullptr);
    EXPECT_NE(result, 0);
    EXPECT_EQ(pid, 77);
    EXPECT_EQ(ProcessSpawn::records().at(0).result, result);
    EXPECT_EQ(ProcessSpawn::records().at(0).pid, 0);
}

TEST_F(ProcessSpawnTest, RemovingARedirectRunsThePathItself) {
    ProcessSpawn::redirect("/bin/true", "/bin/false");
    ProcessSpawn::redirect("/bin/true", "");
    pid_t pid = 0;
    const char* arguments[] = {"true", nullptr};
    ASSERT_EQ(ProcessSpawn::posix_spawn(&pid, "/bin/true", nullptr, nullptr,
                                        const_cast<char* const*>(arguments), nullptr),
              0);
    int status = 0;
    ProcessSpawn::waitpid(pid, &status, 0);
    EXPECT_EQ(ProcessSpawn::records().at(0).program, "/bin/true");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ProcessSpawnTest, TheMachineIsTheDeviceProfilesWithItsTerminatingZero) {
    size_t size = 0;
    ASSERT_EQ(sysctlbyname("hw.machine", nullptr, &size, nullptr, 0), 0);
    EXPECT_EQ(size, std::string("iPhone9,2").size() + 1);
    std::vector<char> buffer(size, 'x');
    ASSERT_EQ(sysctlbyname("hw.machine", buffer.data(), &size, nullptr, 0), 0);
    EXPECT_STREQ(buffer.data(), "iPhone9,2");

    setDevice(UIDeviceProfile::iPhoneSE());
    size = 0;
    sysctlbyname("hw.machine", nullptr, &size, nullptr, 0);
    std::vector<char> se(size);
    ASSERT_EQ(sysctlbyname("hw.machine", se.data(), &size, nullptr, 0), 0);
    EXPECT_STREQ(se.data(), "iPhone8,4");
}

TEST_F(ProcessSpawnTest, SysctlRefusesWhatItCannotAnswer) {
    char small[4] = {};
    size_t size = sizeof small;
    EXPECT_EQ(sysctlbyname("hw.machine", small, &size, nullptr, 0), -1);
    EXPECT_EQ(errno, ENOMEM);
    EXPECT_EQ(sysctlbyname("hw.model", nullptr, &size, nullptr, 0), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(sysctlbyname(nullptr, nullptr, &size, nullptr, 0), -1);
    EXPECT_EQ(sysctlbyname("hw.machine", nullptr, nullptr, nullptr, 0), -1);
    char value[] = "iPad";
    EXPECT_EQ(sysctlbyname("hw.machine", nullptr, &size, value, sizeof value), -1);
    EXPECT_EQ(errno, EPERM);
}

} // namespace
