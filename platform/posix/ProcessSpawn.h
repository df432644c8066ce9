#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/types.h>
#include <vector>

// posix_spawn(3) and waitpid(2) as the system calls them: straight through
// to the C library, with one difference for hosts and tests. A program path
// may be pointed at another program, so that a test can watch what would
// run ("/usr/bin/killall" ending real processes) without running it. Every
// call is recorded for the hosts' dumps.
class ProcessSpawn {
public:
    struct Record {
        std::string path;    // as the caller named it
        std::string program; // what actually ran
        std::vector<std::string> arguments;
        int result = 0; // posix_spawn's answer: 0 or an error number
        pid_t pid = 0;
        // The wait on the pid, if one was made.
        std::optional<int> waitOptions;
        std::optional<pid_t> waitResult;
        std::optional<int> waitError;
        std::optional<int> waitStatus;
    };

    static int posix_spawn(pid_t* pid, const char* path,
                           const posix_spawn_file_actions_t* fileActions,
                           const posix_spawnattr_t* attributes, char* const argv[],
                           char* const envp[]);
    static pid_t waitpid(pid_t pid, int* status, int options);

    // Runs `program` wherever `path` is spawned; an empty program removes
    // the redirection.
    static void redirect(const std::string& path, const std::string& program);
    static void clearRedirects();
    static std::vector<Record> records();
    static void clearRecords();

private:
    // Arguments past this many are not recorded (they are still passed).
    static constexpr size_t kMaximumRecordedArguments = 64;
    static constexpr size_t kMaximumRecords = 1000;
};
