// huemark-batch run as a separate program, as a user runs it: through the shell and waited for,
// or started as a job whose workers a test can signal while it watches the files they make. The
// tests that include it name the tool in HUEMARK_BATCH.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct CommandRun {
    int status = -1;
    std::string output;
};

// Runs a shell command line and waits for it, with its error output in `output` too.
inline CommandRun runCommandLine(const std::string& commandLine) {
    const std::string command = commandLine + " 2>&1";
    CommandRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Runs the tool through the shell with `arguments` and waits for it.
inline CommandRun runBatch(const std::string& arguments) {
    return runCommandLine(std::string(HUEMARK_BATCH) + " " + arguments);
}

inline bool mentions(const std::string& output, const std::string& text) {
    return output.find(text) != std::string::npos;
}

// The files and folders under a folder, by their paths relative to it.
inline std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        names.insert(entry.path().lexically_relative(folder).string());
    }
    return names;
}

// Files made in a folder, as inotify reports them.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& folder) : descriptor_(::inotify_init1(IN_CLOEXEC)) {
        ::inotify_add_watch(descriptor_, folder.c_str(), IN_CREATE);
    }
    ~FolderWatch() { ::close(descriptor_); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // The name of the next file made in the folder; empty when none comes within a minute.
    std::string nextMade() {
        while (made_.empty()) {
            pollfd ready{descriptor_, POLLIN, 0};
            alignas(inotify_event) char buffer[4096];
            const ssize_t got =
                ::poll(&ready, 1, 60000) == 1 ? ::read(descriptor_, buffer, sizeof buffer) : -1;
            if (got <= 0) {
                return {};
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0) {
                    made_.push_back(event->name);
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        const std::string name = made_.front();
        made_.erase(made_.begin());
        return name;
    }

private:
    int descriptor_;
    std::vector<std::string> made_;
};

struct BatchEnd {
    int waitStatus = 0;
    std::string output;
};

inline bool endedBySignal(const BatchEnd& end, int signal) {
    return WIFSIGNALED(end.waitStatus) && WTERMSIG(end.waitStatus) == signal;
}

inline int exitStatus(const BatchEnd& end) {
    return WIFEXITED(end.waitStatus) ? WEXITSTATUS(end.waitStatus) : -1;
}

// The tool started without a shell in a process group of its own, as a shell starts a job, with
// an optional file size limit; its output collected. A job not finished is killed at the end.
class BatchProcess {
public:
    explicit BatchProcess(std::vector<std::string> arguments,
                          rlim_t fileSizeLimit = RLIM_INFINITY) {
        arguments.insert(arguments.begin(), HUEMARK_BATCH);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        int output[2];
        EXPECT_EQ(::pipe2(output, O_CLOEXEC), 0);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            if (fileSizeLimit != RLIM_INFINITY) {
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::dup2(output[1], STDOUT_FILENO);
            ::dup2(output[1], STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::setpgid(pid_, pid_); // here too, so that the group exists before it gets a signal
        ::close(output[1]);
        output_ = output[0];
    }
    ~BatchProcess() {
        if (output_ >= 0) {
            ::kill(-pid_, SIGKILL);
            finish();
        }
    }
    BatchProcess(const BatchProcess&) = delete;
    BatchProcess& operator=(const BatchProcess&) = delete;

    pid_t pid() const { return pid_; }

    BatchEnd finish() {
        BatchEnd end;
        char buffer[512];
        for (ssize_t got; (got = ::read(output_, buffer, sizeof buffer)) > 0;) {
            end.output.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(output_);
        output_ = -1;
        ::waitpid(pid_, &end.waitStatus, 0);
        return end;
    }

    // Whether no process of its group (the tool, its workers) is left.
    bool groupGone() const { return ::kill(-pid_, 0) != 0 && errno == ESRCH; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};
