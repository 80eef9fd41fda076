#ifndef _WIN32
#include "shared/PosixCommand.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorv {
namespace {

class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : FFd(fd) {}
    ~TUniqueFd() { Reset(); }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    int Get() const { return FFd; }
    void Reset() {
        if (FFd >= 0) ::close(FFd);
        FFd = -1;
    }

private:
    int FFd = -1;
};

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// In the child only async-signal-safe calls are made, since the parent may have other threads.
[[noreturn]] void RunShellInChild(int outputFd, const char* command, const char* workingDir) {
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

std::string ReadUntilEnd(int fd) {
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<std::size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            return output;
        }
    }
}

void WaitForChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::string TPosixCommand::Run(const std::string& commandLine, const std::string& workingDir) {
    if (!workingDir.empty() && !IsFolder(workingDir)) return {};
    int ends[2];
    // Close-on-exec, so that commands started at the same time from other threads do not hold
    // this pipe open and delay its end.
    if (::pipe2(ends, O_CLOEXEC) != 0) return {};
    TUniqueFd readEnd(ends[0]);
    TUniqueFd writeEnd(ends[1]);
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) RunShellInChild(writeEnd.Get(), commandLine.c_str(), workingDir.empty() ? nullptr : workingDir.c_str());
    writeEnd.Reset();
    std::string output = ReadUntilEnd(readEnd.Get());
    WaitForChild(child);
    return output;
}

}  // namespace zorv
#endif
