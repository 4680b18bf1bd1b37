#include "worker_pool.h"

#include "messages.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// This process sends a worker the index of its next input (8 bytes). The worker answers with a
// Started record before it works on the input and a Finished record with the result after.
// The sockets keep message boundaries (SOCK_SEQPACKET): every record is received whole or not
// at all, and a worker that ends closes its socket, which this process sees.
enum class RecordKind : std::uint8_t { Started = 1, Finished = 2 };

constexpr std::size_t maxMessage = 256;

#pragma pack(push, 1)
struct Record {
    RecordKind kind;
    JobStatus status;        // in Finished records
    std::uint8_t stopSignal; // in Finished records
    std::uint64_t index;
    std::uint16_t length; // of the message
    char message[maxMessage];
};
#pragma pack(pop)
constexpr std::size_t recordHeader = offsetof(Record, message);

bool sendRecord(int channel, RecordKind kind, std::uint64_t index, const JobResult& result) {
    Record record{};
    record.kind = kind;
    record.status = result.status;
    record.stopSignal = static_cast<std::uint8_t>(result.stopSignal);
    record.index = index;
    record.length = static_cast<std::uint16_t>(std::min(result.message.size(), maxMessage));
    std::memcpy(record.message, result.message.data(), record.length);
    ssize_t sent = -1;
    do {
        sent = ::send(channel, &record, recordHeader + record.length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent >= 0;
}

bool receiveTask(int channel, std::uint64_t& index) {
    ssize_t got = -1;
    do {
        got = ::recv(channel, &index, sizeof index, 0);
    } while (got < 0 && errno == EINTR);
    return got == sizeof index;
}

[[noreturn]] void workerMain(int channel, const WorkerTasks& tasks) {
    const bool ready = tasks.prepare();
    std::uint64_t index = 0;
    while (receiveTask(channel, index)) {
        if (!sendRecord(channel, RecordKind::Started, index, {})) {
            break;
        }
        const JobResult result =
            ready ? tasks.run(index)
                  : JobResult{JobStatus::Failed, "the worker cannot load the processing file"};
        if (!sendRecord(channel, RecordKind::Finished, index, result) || result.stopSignal != 0) {
            break;
        }
    }
    ::_exit(0);
}

constexpr std::array<int, 3> interruptSignals{SIGINT, SIGTERM, SIGHUP};

bool isInterruptSignal(int signal) {
    return std::find(interruptSignals.begin(), interruptSignals.end(), signal) !=
           interruptSignals.end();
}

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void noteInterrupt(int signal) {
    caughtSignal = signal;
}

// Catches the interrupt signals (those not ignored when the run starts) while the run lasts.
// They stay blocked but while waiting for the workers, so that one arriving between two
// waits is seen by the next.
class InterruptCatcher {
public:
    InterruptCatcher() {
        sigemptyset(&caught_);
        for (std::size_t i = 0; i < interruptSignals.size(); ++i) {
            ::sigaction(interruptSignals[i], nullptr, &previous_[i]);
            if (previous_[i].sa_handler != SIG_IGN) {
                sigaddset(&caught_, interruptSignals[i]);
                struct sigaction action {};
                action.sa_handler = noteInterrupt;
                sigemptyset(&action.sa_mask);
                ::sigaction(interruptSignals[i], &action, nullptr);
            }
        }
        caughtSignal = 0;
        ::sigprocmask(SIG_BLOCK, &caught_, &previousMask_);
        waitMask_ = previousMask_;
        for (int signal : interruptSignals) {
            if (sigismember(&caught_, signal) == 1) {
                sigdelset(&waitMask_, signal);
            }
        }
    }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // Ends the catching: a signal still pending is noted first. Returns the last noted signal.
    int release() {
        ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
        restoreActions();
        return takeCaught();
    }

    // In a new worker: the signals' usual effect, as before the run.
    void restoreInWorker() const {
        restoreActions();
        ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    }

    const sigset_t& waitMask() const { return waitMask_; }

    static int takeCaught() {
        const int signal = caughtSignal;
        caughtSignal = 0;
        return signal;
    }

private:
    void restoreActions() const {
        for (std::size_t i = 0; i < interruptSignals.size(); ++i) {
            if (sigismember(&caught_, interruptSignals[i]) == 1) {
                ::sigaction(interruptSignals[i], &previous_[i], nullptr);
            }
        }
    }

    std::array<struct sigaction, interruptSignals.size()> previous_{};
    sigset_t caught_{};
    sigset_t previousMask_{};
    sigset_t waitMask_{};
};

std::string endOfWorker(const siginfo_t& end) {
    if (end.si_code == CLD_KILLED || end.si_code == CLD_DUMPED) {
        return "the worker was killed by " + signalDescription(end.si_status);
    }
    return "the worker ended unexpectedly (exit status " + std::to_string(end.si_status) + ")";
}

int killingSignal(const siginfo_t& end) {
    return end.si_code == CLD_KILLED || end.si_code == CLD_DUMPED ? end.si_status : 0;
}

struct Worker {
    pid_t pid = -1;
    int channel = -1;                    // this process's end of the worker's socket
    std::optional<std::size_t> assigned; // the input it was given
    bool started = false;                // it announced that it works on that input
    std::string fault;                   // why this process stopped it, if it did

    bool alive() const { return pid > 0; }
};

class Pool {
public:
    Pool(std::size_t inputs, const WorkerTasks& tasks) : inputs_(inputs), tasks_(tasks) {
        for (std::size_t i = 0; i < inputs; ++i) {
            pending_.push_back(i);
        }
    }

    int run(int workers) {
        workers_.resize(std::min(static_cast<std::size_t>(std::max(1, workers)), inputs_));
        for (Worker& worker : workers_) {
            if (startWorker(worker)) {
                assignNext(worker);
            }
        }
        while (std::any_of(workers_.begin(), workers_.end(),
                           [](const Worker& w) { return w.alive(); })) {
            waitForWorkers();
        }
        if (const int late = signals_.release(); late != 0 && interruptedBy_ == 0) {
            interruptedBy_ = late;
        }
        for (std::size_t index : pending_) {
            report(index, interruptedBy_ != 0 ? JobResult{JobStatus::NotDone, {}}
                                              : JobResult{JobStatus::Failed, lastProblem_});
        }
        return interruptedBy_;
    }

private:
    bool startWorker(Worker& worker) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
            return false;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pair[0]);
            for (const Worker& other : workers_) {
                if (other.alive()) {
                    ::close(other.channel);
                }
            }
            signals_.restoreInWorker();
            workerMain(pair[1], tasks_);
        }
        ::close(pair[1]);
        if (child < 0) {
            ::close(pair[0]);
            return false;
        }
        worker = Worker{};
        worker.pid = child;
        worker.channel = pair[0];
        return true;
    }

    void assignNext(Worker& worker) {
        worker.assigned.reset();
        worker.started = false;
        if (interruptedBy_ != 0 || pending_.empty()) {
            ::shutdown(worker.channel, SHUT_WR); // the worker ends when it reads no more
            return;
        }
        const std::uint64_t index = pending_.front();
        if (::send(worker.channel, &index, sizeof index, MSG_NOSIGNAL) == sizeof index) {
            pending_.pop_front();
            worker.assigned = index;
        }
    }

    void waitForWorkers() {
        std::vector<pollfd> channels;
        std::vector<Worker*> owners;
        for (Worker& worker : workers_) {
            if (worker.alive()) {
                channels.push_back({worker.channel, POLLIN, 0});
                owners.push_back(&worker);
            }
        }
        const int ready = ::ppoll(channels.data(), channels.size(), nullptr, &signals_.waitMask());
        if (const int signal = InterruptCatcher::takeCaught(); signal != 0) {
            interrupt(signal);
        }
        for (std::size_t i = 0; ready > 0 && i < channels.size(); ++i) {
            if (channels[i].revents != 0) {
                receive(*owners[i]);
            }
        }
    }

    void receive(Worker& worker) {
        Record record{};
        const ssize_t got = ::recv(worker.channel, &record, sizeof record, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        if (got <= 0) {
            workerEnded(worker);
            return;
        }
        if (!soundRecord(record, static_cast<std::size_t>(got), worker)) {
            worker.fault = "the worker sent a malformed report";
            ::kill(worker.pid, SIGKILL);
            return;
        }
        if (record.kind == RecordKind::Started) {
            worker.started = true;
            return;
        }
        const JobResult result{record.status, std::string(record.message, record.length),
                               record.stopSignal};
        report(record.index, result);
        worker.assigned.reset();
        if (result.stopSignal != 0) {
            interrupt(result.stopSignal);
        }
        assignNext(worker);
    }

    // A record is sound when it is whole and speaks of the input the worker was given, in order.
    static bool soundRecord(const Record& record, std::size_t size, const Worker& worker) {
        if (size < recordHeader || size != recordHeader + record.length ||
            !worker.assigned.has_value() || record.index != *worker.assigned) {
            return false;
        }
        if (record.kind == RecordKind::Started) {
            return !worker.started;
        }
        return record.kind == RecordKind::Finished && worker.started &&
               (record.status == JobStatus::Corrected ||
                record.status == JobStatus::CorrectedIncomplete ||
                record.status == JobStatus::Failed);
    }

    // Collects the end of a worker whose socket closed. What it was working on is abandoned
    // before it is reaped: until then its process id is nobody else's.
    siginfo_t reap(const Worker& worker) {
        siginfo_t end{};
        while (::waitid(P_PID, static_cast<id_t>(worker.pid), &end, WEXITED | WNOWAIT) != 0 &&
               errno == EINTR) {
        }
        if (worker.started) {
            tasks_.abandon(*worker.assigned, worker.pid);
        }
        ::waitpid(worker.pid, nullptr, 0);
        ::close(worker.channel);
        return end;
    }

    void workerEnded(Worker& slot) {
        const Worker worker = std::exchange(slot, Worker{});
        const siginfo_t end = reap(worker);
        const int signal = killingSignal(end);
        if (isInterruptSignal(signal)) {
            interrupt(signal);
        }
        if (worker.started || !worker.fault.empty() || end.si_code != CLD_EXITED ||
            end.si_status != 0) {
            lastProblem_ = worker.fault.empty() ? endOfWorker(end) : worker.fault;
        }
        if (worker.started) {
            report(*worker.assigned, isInterruptSignal(signal)
                                         ? JobResult{JobStatus::NotDone, {}}
                                         : JobResult{JobStatus::Failed, lastProblem_});
        } else if (worker.assigned.has_value()) {
            pending_.push_front(*worker.assigned);
        }
        replaceEndedWorker(slot);
    }

    // Every replacement follows a worker's death, which mostly costs a picture; the bound
    // keeps a worker that dies before its first picture from being replaced for ever.
    void replaceEndedWorker(Worker& worker) {
        if (interruptedBy_ == 0 && !pending_.empty() && replacements_ < inputs_) {
            ++replacements_;
            if (startWorker(worker)) {
                assignNext(worker);
            }
        }
    }

    void interrupt(int signal) {
        if (interruptedBy_ == 0 || isInterruptSignal(signal)) {
            interruptedBy_ = signal;
        }
        for (Worker& worker : workers_) {
            if (worker.alive()) {
                if (isInterruptSignal(signal)) {
                    ::kill(worker.pid, signal);
                }
                ::shutdown(worker.channel, SHUT_WR);
            }
        }
    }

    void report(std::size_t index, const JobResult& result) { tasks_.report({index, result}); }

    std::size_t inputs_;
    const WorkerTasks& tasks_;
    InterruptCatcher signals_;
    std::deque<std::size_t> pending_;
    std::vector<Worker> workers_;
    std::size_t replacements_ = 0;
    int interruptedBy_ = 0;
    std::string lastProblem_ = "cannot start a worker";
};

} // namespace

int runInWorkers(std::size_t inputs, int workers, const WorkerTasks& tasks) {
    Pool pool(inputs, tasks);
    return pool.run(workers);
}
