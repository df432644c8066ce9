#include "platform/posix/ProcessSpawn.h"

#include <cerrno>
#include <sys/wait.h>

namespace {

struct State {
    std::mutex mutex;
    std::map<std::string, std::string> redirects;
    std::vector<ProcessSpawn::Record> records;
};

State& state() {
    static State shared;
    return shared;
}

} // namespace

int ProcessSpawn::posix_spawn(pid_t* pid, const char* path,
                              const posix_spawn_file_actions_t* fileActions,
                              const posix_spawnattr_t* attributes, char* const argv[],
                              char* const envp[]) {
    Record record;
    record.path = path ? path : "";
    record.program = record.path;
    {
        std::lock_guard lock(state().mutex);
        if (auto found = state().redirects.find(record.path); found != state().redirects.end())
            record.program = found->second;
    }
    for (size_t i = 0; argv && argv[i] && i < kMaximumRecordedArguments; ++i)
        record.arguments.emplace_back(argv[i]);

    // No environment means an empty one, as the C library takes it; the
    // library's own call is made with the program chosen above.
    static char* const kNoEnvironment[] = {nullptr};
    pid_t child = 0;
    record.result = path ? ::posix_spawn(&child, record.program.c_str(), fileActions, attributes,
                                         argv, envp ? envp : kNoEnvironment)
                         : EINVAL;
    record.pid = record.result == 0 ? child : 0;
    if (pid && record.result == 0)
        *pid = child;

    std::lock_guard lock(state().mutex);
    if (state().records.size() == kMaximumRecords)
        state().records.erase(state().records.begin());
    state().records.push_back(std::move(record));
    return state().records.back().result;
}

pid_t ProcessSpawn::waitpid(pid_t pid, int* status, int options) {
    int local = 0;
    pid_t result = ::waitpid(pid, &local, options);
    int error = result < 0 ? errno : 0;
    if (status && result > 0)
        *status = local;
    {
        std::lock_guard lock(state().mutex);
        for (auto record = state().records.rbegin(); record != state().records.rend(); ++record) {
            if (record->pid == pid && pid > 0) {
                record->waitOptions = options;
                record->waitResult = result;
                if (result < 0)
                    record->waitError = error;
                if (result > 0)
                    record->waitStatus = local;
                break;
            }
        }
    }
    if (result < 0)
        errno = error;
    return result;
}

void ProcessSpawn::redirect(const std::string& path, const std::string& program) {
    std::lock_guard lock(state().mutex);
    if (program.empty())
        state().redirects.erase(path);
    else
        state().redirects.insert_or_assign(path, program);
}

void ProcessSpawn::clearRedirects() {
    std::lock_guard lock(state().mutex);
    state().redirects.clear();
}

std::vector<ProcessSpawn::Record> ProcessSpawn::records() {
    std::lock_guard lock(state().mutex);
    return state().records;
}

void ProcessSpawn::clearRecords() {
    std::lock_guard lock(state().mutex);
    state().records.clear();
}
