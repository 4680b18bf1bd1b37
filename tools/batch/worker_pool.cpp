#include "worker_pool.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A result travels as one pipe write of at most PIPE_BUF bytes, so writes of several
// workers never interleave: index, success flag, message length, message.
constexpr std::size_t maxMessage = 256;

#pragma pack(push, 1)
struct Record {
    std::uint64_t index;
    std::uint8_t ok;
    std::uint16_t length;
    char message[maxMessage];
};
#pragma pack(pop)
static_assert(sizeof(Record) <= PIPE_BUF);

void sendResult(int pipe, std::size_t index, const JobResult& result) {
    Record record{};
    record.index = index;
    record.ok = result.ok ? 1 : 0;
    record.length = static_cast<std::uint16_t>(std::min(result.message.size(), maxMessage));
    std::memcpy(record.message, result.message.data(), record.length);
    const std::size_t size = offsetof(Record, message) + record.length;
    while (::write(pipe, &record, size) < 0 && errno == EINTR) {
    }
}

bool readExactly(int pipe, void* out, std::size_t size) {
    auto* bytes = static_cast<char*>(out);
    while (size > 0) {
        const ssize_t got = ::read(pipe, bytes, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

[[noreturn]] void workerMain(std::atomic<std::size_t>* next, std::size_t inputs, int pipe,
                             const std::function<bool()>& prepare,
                             const std::function<JobResult(std::size_t)>& job) {
    if (prepare()) {
        for (std::size_t index = next->fetch_add(1); index < inputs; index = next->fetch_add(1)) {
            sendResult(pipe, index, job(index));
        }
    }
    ::close(pipe);
    ::_exit(0);
}

} // namespace

void runInWorkers(std::size_t inputs, int workers, const std::function<bool()>& prepare,
                  const std::function<JobResult(std::size_t)>& job,
                  const std::function<void(const JobOutcome&)>& report) {
    // The counter of the next input lives in memory shared by all workers.
    void* shared = ::mmap(nullptr, sizeof(std::atomic<std::size_t>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    int fds[2];
    if (shared == MAP_FAILED || ::pipe(fds) != 0) {
        for (std::size_t i = 0; i < inputs; ++i) {
            report({i, {false, "cannot start a worker"}});
        }
        return;
    }
    auto* next = new (shared) std::atomic<std::size_t>(0);
    std::vector<pid_t> children;
    for (int w = 0; w < std::max(1, workers); ++w) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            workerMain(next, inputs, fds[1], prepare, job);
        }
        if (child > 0) {
            children.push_back(child);
        }
    }
    ::close(fds[1]);
    std::vector<bool> done(inputs, false);
    Record record{};
    while (readExactly(fds[0], &record, offsetof(Record, message))) {
        if (record.length > maxMessage || !readExactly(fds[0], record.message, record.length) ||
            record.index >= inputs) {
            break;
        }
        done[record.index] = true;
        report({record.index, {record.ok != 0, std::string(record.message, record.length)}});
    }
    ::close(fds[0]);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    for (std::size_t i = 0; i < inputs; ++i) {
        if (!done[i]) {
            report({i, {false, "the worker stopped before this picture"}});
        }
    }
    ::munmap(shared, sizeof(std::atomic<std::size_t>));
}
