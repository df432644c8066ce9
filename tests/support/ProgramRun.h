#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// What a short-lived program said and how it ended.
struct ProgramRun {
    // The exit status; -1 when it did not end in time (it is killed then)
    // or could not be started.
    int status = -1;
    std::string output;
    std::string errors;

    // Runs the program to its end, or until the deadline. Environment
    // entries replace the test's own; an entry without a value removes one.
    static ProgramRun run(const std::vector<std::string>& arguments,
                          const std::map<std::string, std::optional<std::string>>& environment,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        ProgramRun result;
        std::map<std::string, std::string> merged;
        for (char** entry = environ; *entry; ++entry) {
            std::string text = *entry;
            auto equals = text.find('=');
            if (equals != std::string::npos)
                merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
        for (const auto& [key, value] : environment) {
            if (value)
                merged[key] = *value;
            else
                merged.erase(key);
        }
        std::vector<std::string> lines;
        for (const auto& [key, value] : merged)
            lines.push_back(key + "=" + value);
        std::vector<char*> envp;
        for (auto& line : lines)
            envp.push_back(line.data());
        envp.push_back(nullptr);
        std::vector<std::string> argumentCopies = arguments;
        std::vector<char*> argv;
        for (auto& argument : argumentCopies)
            argv.push_back(argument.data());
        argv.push_back(nullptr);

        int output[2];
        int errors[2];
        if (pipe2(output, O_CLOEXEC) != 0)
            return result;
        if (pipe2(errors, O_CLOEXEC) != 0) {
            close(output[0]);
            close(output[1]);
            return result;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
        pid_t pid = -1;
        int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);
        close(errors[1]);
        if (spawned != 0) {
            close(output[0]);
            close(errors[0]);
            return result;
        }

        const auto deadline = std::chrono::steady_clock::now() + timeout;
        pollfd fds[2] = {{output[0], POLLIN, 0}, {errors[0], POLLIN, 0}};
        std::string* sinks[2] = {&result.output, &result.errors};
        int open = 2;
        bool timedOut = false;
        while (open > 0) {
            auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (remaining.count() <= 0) {
                timedOut = true;
                break;
            }
            int count = poll(fds, 2, static_cast<int>(remaining.count()));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                continue;
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !fds[i].revents)
                    continue;
                char buffer[4096];
                ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
                if (got > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        for (auto& fd : fds) {
            if (fd.fd >= 0)
                close(fd.fd);
        }
        if (timedOut)
            kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = !timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }
};
