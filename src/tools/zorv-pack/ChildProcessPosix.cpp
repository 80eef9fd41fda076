#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/zorv-pack/ChildProcess.h"

namespace zorv {

// The program takes this process's place: signals sent to this process reach it, and its exit
// code is the process's own.
TResult<int> RunChildProcess(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> owned{program};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : owned) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    return Failure("cannot start \"" + program + "\": " + std::strerror(errno));
}

}  // namespace zorv
