#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

// A session bus of the test's own, started with dbus-run-session, which ends
// the bus when its input closes: stopping it, and a test that dies, both
// take the bus down with them.
class PrivateBus {
public:
    PrivateBus() { start(); }
    ~PrivateBus() { stop(); }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isRunning() const { return m_pid > 0 && !m_address.empty(); }
    // The value for DBUS_SESSION_BUS_ADDRESS.
    const std::string& address() const { return m_address; }

    // Ends the bus and waits until its processes have gone.
    void stop() {
        if (m_pid <= 0)
            return;
        if (m_input >= 0)
            close(m_input);
        m_input = -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
    }

private:
    void start() {
        int input[2];
        int output[2];
        if (pipe2(input, O_CLOEXEC) != 0)
            return;
        if (pipe2(output, O_CLOEXEC) != 0) {
            close(input[0]);
            close(input[1]);
            return;
        }
        std::string program = "dbus-run-session";
        std::string separator = "--";
        std::string shell = "sh";
        std::string flag = "-c";
        std::string script = "printf '%s\\n' \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat >/dev/null";
        char* argv[] = {program.data(), separator.data(), shell.data(),
                        flag.data(),    script.data(),    nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        // The daemon's complaint about file limits is noise here.
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        int result = posix_spawnp(&m_pid, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        if (result != 0) {
            m_pid = -1;
            close(input[1]);
            close(output[0]);
            return;
        }
        m_input = input[1];
        m_address = readLine(output[0], std::chrono::seconds(10));
        close(output[0]);
    }

    static std::string readLine(int fd, std::chrono::milliseconds timeout) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (remaining.count() <= 0)
                return {};
            pollfd ready{fd, POLLIN, 0};
            int count = poll(&ready, 1, static_cast<int>(remaining.count()));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return {};
            char byte;
            ssize_t got = read(fd, &byte, 1);
            if (got <= 0)
                return {};
            if (byte == '\n')
                return line;
            line.push_back(byte);
        }
    }

    pid_t m_pid = -1;
    int m_input = -1;
    std::string m_address;
};
