#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace zorv {

class TAbZipKit;
class TCommandLine;
struct TOptionSpec;

// The `zorv-pack` command: start a new project, build a packaged executable from a project
// folder, list the entries of a packaged file, or print one entry.
class TPackTool {
public:
    enum TExitCode : int { Success = 0, Failure = 1, ExtractionFailed = 2, NoArchive = 3, UsageError = 64 };

    TPackTool(std::FILE* out, std::FILE* err) : FOut(out), FErr(err) {}
    // `args` without the program name.
    int Run(const std::vector<std::string>& args);

    // Options of `build`; platform-specific ones can be added here.
    static std::vector<TOptionSpec> BuildOptions();
    static std::string DefaultRuntimePath();

private:
    int Init(const TCommandLine& command);
    int RunProject(const TCommandLine& command);
    int Build(const TCommandLine& command);
    int List(const TCommandLine& command);
    int Cat(const TCommandLine& command);
    int Usage(const std::string& problem);
    int Fail(int code, const std::string& message);
    // Opens the archive appended to `path`, or `path` itself when it is no executable image.
    bool OpenArchive(const std::string& path, TAbZipKit& archive);

    std::FILE* FOut;
    std::FILE* FErr;
};

}  // namespace zorv
