#include "shared/PosixCommand.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <thread>
#include <utility>

#include "shared/PosixUniqueFd.h"

namespace zorv {
namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// In the child only async-signal-safe calls are made, since the parent may have other threads.
[[noreturn]] void RunShellInChild(int outputFd, const char* command, const char* workingDir) {
    // A group of its own, so that everything the command starts can be ended together.
    ::setpgid(0, 0);
    if (workingDir && ::chdir(workingDir) != 0) ::_exit(127);
    // A pipe that got a standard descriptor's number (the parent had it closed) is moved away
    // first, or dup2 would keep its close-on-exec flag.
    if (outputFd <= STDERR_FILENO) {
        outputFd = ::fcntl(outputFd, F_DUPFD, STDERR_FILENO + 1);
        if (outputFd < 0) ::_exit(127);
    }
    if (::dup2(outputFd, STDOUT_FILENO) < 0 || ::dup2(outputFd, STDERR_FILENO) < 0) ::_exit(127);
    ::execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
    ::_exit(127);
}

// Tells when the shell has exited: a process descriptor that poll() reports readable then, or,
// on kernels without one, a look at the child every few milliseconds.
class TChildWatch {
public:
    explicit TChildWatch(pid_t child) : FChild(child), FPidFd(static_cast<int>(::syscall(SYS_pidfd_open, child, 0))) {}
    // The descriptor to poll, or -1 when there is none.
    int Fd() const { return FPidFd.Get(); }
    int PollTimeoutMs() const { return FPidFd.Get() >= 0 ? -1 : 20; }
    // Collects the child when it has exited; never blocks.
    bool Exited() {
        if (FReaped) return true;
        int status = 0;
        pid_t result;
        while ((result = ::waitpid(FChild, &status, WNOHANG)) < 0 && errno == EINTR) {
        }
        FReaped = result == FChild || (result < 0 && errno == ECHILD);
        return FReaped;
    }
    // Ends the command and everything it started, and collects it.
    void EndAll() {
        ::kill(-FChild, SIGKILL);
        ::kill(FChild, SIGKILL);
        Wait();
    }
    void Wait() {
        if (FReaped) return;
        int status = 0;
        while (::waitpid(FChild, &status, 0) < 0 && errno == EINTR) {
        }
        FReaped = true;
    }

private:
    pid_t FChild;
    TUniqueFd FPidFd;
    bool FReaped = false;
};

enum class TReadResult { Data, Nothing, End };

TReadResult ReadSome(int fd, std::string& output, std::size_t limit) {
    char buffer[65536];
    for (;;) {
        const std::size_t room = std::min(sizeof buffer, limit - output.size());
        const ssize_t count = ::read(fd, buffer, room);
        if (count > 0) {
            output.append(buffer, static_cast<std::size_t>(count));
            return TReadResult::Data;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return TReadResult::Nothing;
        return TReadResult::End;
    }
}

// Background children of a command that has ended may go on writing: a thread reads and drops
// what they write until they close the pipe, so that they neither block on a full pipe nor die
// of a broken one.
void DiscardTheRest(TUniqueFd& pipe) {
    const int fd = pipe.Get();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    try {
        // The thread owns the pipe from here; if it cannot start, the pipe is closed with it.
        std::thread([owned = std::move(pipe)] {
            char buffer[65536];
            for (;;) {
                const ssize_t count = ::read(owned.Get(), buffer, sizeof buffer);
                if (count > 0 || (count < 0 && errno == EINTR)) continue;
                break;
            }
        }).detach();
    } catch (...) {
        pipe.Reset();
    }
}

// Reads until every writer has closed the pipe, or until the shell has exited and the pipe holds
// nothing more for now, or until the output passes `limit`.
std::string ReadWhileTheShellRuns(TUniqueFd& pipe, TChildWatch& watch, std::size_t limit) {
    std::string output;
    const int fd = pipe.Get();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // What the pipe holds now; false when every writer has closed it.
    const auto drain = [&]() {
        TReadResult result;
        while ((result = ReadSome(fd, output, limit)) == TReadResult::Data && output.size() < limit) {
        }
        return result != TReadResult::End;
    };
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {watch.Fd(), POLLIN, 0}};
        if (::poll(fds, watch.Fd() >= 0 ? 2 : 1, watch.PollTimeoutMs()) < 0 && errno != EINTR) break;
        const bool open = drain();
        if (output.size() >= limit) {
            watch.EndAll();
            return output;
        }
        if (!open) break;
        if (watch.Exited()) {
            // What the shell wrote just before it exited is still its output.
            if (drain()) DiscardTheRest(pipe);
            if (output.size() >= limit) watch.EndAll();
            return output;
        }
    }
    watch.Wait();
    return output;
}

}  // namespace

std::string TPosixCommand::Run(const std::string& commandLine, const std::string& workingDir, std::size_t maxOutput) {
    if (!workingDir.empty() && !IsFolder(workingDir)) return {};
    int ends[2];
    // Close-on-exec, so that commands started at the same time from other threads do not hold
    // this pipe open and delay its end.
    if (::pipe2(ends, O_CLOEXEC) != 0) return {};
    TUniqueFd readEnd(ends[0]);
    TUniqueFd writeEnd(ends[1]);
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0)
        RunShellInChild(writeEnd.Get(), commandLine.c_str(), workingDir.empty() ? nullptr : workingDir.c_str());
    // Also here, so that the group exists before the parent may have to end it.
    ::setpgid(child, child);
    writeEnd.Reset();
    TChildWatch watch(child);
    const std::size_t limit = maxOutput < std::string().max_size() ? maxOutput + 1 : maxOutput;
    return ReadWhileTheShellRuns(readEnd, watch, limit);
}

}  // namespace zorv
