#include "tools/zorv-pack/PackTool.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <memory>

#include "archive/AbZipKit.h"
#include "shared/ExeUtils.h"
#include "shared/Utf8Path.h"
#include "runtime/StartupSequence.h"
#include "shared/ProjectCheck.h"
#include "tools/zorv-pack/ChildProcess.h"
#include "tools/zorv-pack/CommandLine.h"
#include "tools/zorv-pack/DesktopEntry.h"
#include "tools/zorv-pack/ExeResourceOptions.h"
#include "tools/zorv-pack/ProgressBar.h"
#include "tools/zorv-pack/ProjectPacker.h"
#include "tools/zorv-pack/ProjectTemplate.h"
#include "tools/zorv-pack/TempFile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zorv {
namespace {

namespace fs = std::filesystem;

constexpr const char* UsageText =
    "usage:\n"
    "  zorv-pack init DIR [--name NAME] [--id ID]\n"
    "  zorv-pack run PROJECT_DIR [--runtime RUNTIME] [--no-reload] [-- ARGS...]\n"
    "  zorv-pack build PROJECT_DIR -o OUTPUT [--runtime RUNTIME] [--icon FILE.ico]\n"
    "                  [--version-info KEY=VALUE]... [--desktop-entry]\n"
    "  zorv-pack list FILE\n"
    "  zorv-pack cat FILE ENTRY\n";

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

TResult<std::string> ReadWholeFile(const std::string& path) {
    const std::optional<uint64_t> size = TExeUtils::GetFileByteSize(path);
    if (!size) return Failure("Cannot open file \"" + path + "\"");
    struct TCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
#ifdef _WIN32
    std::unique_ptr<std::FILE, TCloser> file(_wfopen(Utf8Path(path).c_str(), L"rb"));
#else
    std::unique_ptr<std::FILE, TCloser> file(std::fopen(path.c_str(), "rb"));
#endif
    if (!file) return Failure("Cannot open file \"" + path + "\"");
    std::string bytes(static_cast<std::size_t>(*size), '\0');
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (got != bytes.size()) return Failure("Cannot read file \"" + path + "\"");
    return bytes;
}

// The output keeps the runtime's permissions and is executable for whoever may read it.
void MakeExecutable(const fs::path& path) {
    std::error_code error;
    const fs::perms current = fs::status(path, error).permissions();
    if (error) return;
    fs::perms add = fs::perms::owner_exec;
    if ((current & fs::perms::group_read) != fs::perms::none) add |= fs::perms::group_exec;
    if ((current & fs::perms::others_read) != fs::perms::none) add |= fs::perms::others_exec;
    fs::permissions(path, add, fs::perm_options::add, error);
}

bool HoldsControlCharacter(const std::string& name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code < 0x20 || code == 0x7F;
    });
}

// One entry name per line. A name without control characters is written as it stands, backslashes
// included, and `cat` takes it back so; one with control characters is written with C escapes
// ("\n", "\\", "\x01") so that it stays on its own line, and `cat` reads such a line back.
std::string ListedName(const std::string& name) {
    if (!HoldsControlCharacter(name)) return name;
    std::string line;
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\') {
            line += "\\\\";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (code < 0x20 || code == 0x7F) {
            static constexpr char digits[] = "0123456789abcdef";
            line += "\\x";
            line += digits[code >> 4];
            line += digits[code & 15];
        } else {
            line += c;
        }
    }
    return line;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The name a line of `list` stands for when it was written with escapes; nothing when the line
// holds no escape, or one that `list` does not write.
std::optional<std::string> UnescapedName(const std::string& line) {
    std::string name;
    bool escaped = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            name += line[i];
            continue;
        }
        if (++i == line.size()) return std::nullopt;
        escaped = true;
        switch (line[i]) {
            case '\\': name += '\\'; break;
            case 'n': name += '\n'; break;
            case 'r': name += '\r'; break;
            case 't': name += '\t'; break;
            case 'x': {
                const int high = i + 2 < line.size() ? HexDigit(line[i + 1]) : -1;
                const int low = high >= 0 ? HexDigit(line[i + 2]) : -1;
                if (low < 0) return std::nullopt;
                name += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    if (!escaped) return std::nullopt;
    return name;
}

}  // namespace

std::vector<TOptionSpec> TPackTool::BuildOptions() {
    std::vector<TOptionSpec> options = {
        {"--output", "-o", true}, {"--runtime", "", true}, {"--desktop-entry", "", false}};
    for (TOptionSpec& option : TExeResourceOptions::Specs()) options.push_back(std::move(option));
    return options;
}

std::string TPackTool::DefaultRuntimePath() {
#ifdef _WIN32
    const char* runtimeName = "zorv-runtime.exe";
#else
    const char* runtimeName = "zorv-runtime";
#endif
    const fs::path self = Utf8Path(TExeUtils::RunningExePath());
    return Utf8(self.parent_path() / runtimeName);
}

int TPackTool::Run(const std::vector<std::string>& args) {
    if (args.empty()) return Usage("no command given");
    const std::string& verb = args[0];
    if (verb == "help" || verb == "--help" || verb == "-h") {
        std::fputs(UsageText, FOut);
        return Success;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    TCommandLine command;
    if (verb == "build") {
        if (const TStatus parsed = command.Parse(rest, BuildOptions()); !parsed) return Usage(parsed.Error());
        return Build(command);
    }
    if (verb == "init") {
        if (const TStatus parsed = command.Parse(rest, {{"--name", "", true}, {"--id", "", true}}); !parsed)
            return Usage(parsed.Error());
        return Init(command);
    }
    if (verb == "run") {
        if (const TStatus parsed = command.Parse(rest, {{"--runtime", "", true}, {"--no-reload", "", false}}); !parsed)
            return Usage(parsed.Error());
        return RunProject(command);
    }
    if (verb == "list" || verb == "cat") {
        if (const TStatus parsed = command.Parse(rest, {}); !parsed) return Usage(parsed.Error());
        return verb == "list" ? List(command) : Cat(command);
    }
    return Usage("unknown command \"" + verb + "\"");
}

int TPackTool::Usage(const std::string& problem) {
    std::fprintf(FErr, "zorv-pack: %s\n%s", problem.c_str(), UsageText);
    return UsageError;
}

int TPackTool::Fail(int code, const std::string& message) {
    std::fprintf(FErr, "zorv-pack: %s\n", message.c_str());
    return code;
}

int TPackTool::Build(const TCommandLine& command) {
    if (command.Positionals().size() != 1) return Usage("build takes one PROJECT_DIR");
    const std::optional<std::string> output = command.Option("--output");
    if (!output || output->empty()) return Usage("build needs -o OUTPUT");
    const std::string runtime = command.Option("--runtime").value_or(DefaultRuntimePath());
    TExeResourceOptions resourceOptions;
    if (const TStatus read = resourceOptions.Read(command); !read) return Usage(read.Error());

    TProjectPacker packer;
    packer.OnWarning = [this](const std::string& message) {
        std::fprintf(FErr, "zorv-pack: warning: %s\n", message.c_str());
    };
    if (const TStatus loaded = packer.Load(Utf8Path(command.Positionals()[0])); !loaded)
        return Fail(Failure, loaded.Error());

    const std::optional<uint64_t> runtimeSize = TExeUtils::GetFileByteSize(runtime);
    if (!runtimeSize) return Fail(Failure, "runtime \"" + runtime + "\" not found (give one with --runtime)");
    const std::optional<uint64_t> stubSize = TExeUtils::StubSizeOfFile(runtime);
    if (!stubSize) return Fail(Failure, "runtime \"" + runtime + "\" is not an executable image");
    // An archive appended behind other appended bytes would not be found by the runtime.
    if (*runtimeSize != *stubSize)
        return Fail(Failure, "runtime \"" + runtime + "\" already carries appended data; use a clean runtime");
    TDesktopEntry desktopEntry;
    if (command.Has("--desktop-entry")) {
        if (TExeUtils::ImageKindOfFile(runtime) != TExeImageKind::Elf)
            return Fail(Failure, "--desktop-entry is for a Linux runtime; \"" + runtime +
                                     "\" is a Windows one (Windows has no desktop entries)");
        if (const TStatus loaded = desktopEntry.Load(Utf8Path(command.Positionals()[0]), packer.AppName()); !loaded)
            return Fail(Failure, loaded.Error());
    }

    const fs::path outputPath = Utf8Path(*output);
    std::error_code error;
    if (fs::exists(outputPath, error) && fs::equivalent(outputPath, Utf8Path(runtime), error))
        return Fail(Failure, "OUTPUT must not be the runtime itself");
    const fs::path folder = outputPath.has_parent_path() ? outputPath.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) return Fail(Failure, "output folder \"" + Utf8(folder) + "\" does not exist");

    TTempFile zip(folder, ".zip");
    TTempFile exe(folder, ".exe");
    if (const TStatus written = packer.WriteArchive(zip.Path()); !written) return Fail(Failure, written.Error());
    if (!fs::copy_file(Utf8Path(runtime), exe.Path(), fs::copy_options::overwrite_existing, error))
        return Fail(Failure, "cannot copy the runtime to \"" + Utf8(exe.Path()) + "\": " + error.message());
    // Resources are rewritten before the archive is appended: the update rewrites the whole file.
    if (const TStatus applied = resourceOptions.Apply(Utf8(exe.Path())); !applied)
        return Fail(Failure, applied.Error());

    TExeUtils exeUtils;
    std::unique_ptr<TProgressBar> progress;
    if (IsTerminal(FErr)) {
        progress = std::make_unique<TProgressBar>(FErr, "packing");
        exeUtils.OnProgressMax = [&](TExeUtils&, int64_t max) { progress->SetMax(max); };
        exeUtils.OnProgressPos = [&](TExeUtils&, int64_t pos) { progress->SetPosition(pos); };
    }
    const TStatus appended = exeUtils.AppendZipToExe(Utf8(zip.Path()), Utf8(exe.Path()));
    if (progress) progress->Finish();
    if (!appended) return Fail(Failure, appended.Error());

    MakeExecutable(exe.Path());
    fs::rename(exe.Path(), outputPath, error);
    if (error) return Fail(Failure, "cannot write \"" + *output + "\": " + error.message());
    exe.Keep();
    if (command.Has("--desktop-entry")) {
        if (const TStatus written = desktopEntry.WriteBeside(outputPath); !written)
            return Fail(Failure, written.Error());
    }
    std::fprintf(FOut, "%s: %zu entries, %lld bytes\n", output->c_str(), packer.EntryCount(),
                 static_cast<long long>(TExeUtils::GetFileByteSize(*output).value_or(0)));
    return Success;
}

int TPackTool::Init(const TCommandLine& command) {
    if (command.Positionals().size() != 1) return Usage("init takes one DIR");
    const std::string& folder = command.Positionals()[0];
    const TProjectTemplate project(Utf8Path(folder), command.Option("--name").value_or(""),
                                   command.Option("--id").value_or(""));
    if (const TStatus written = project.Write(); !written) return Fail(Failure, written.Error());
    std::fprintf(FOut, "%s: new project \"%s\" (ID %s); next: zorv-pack run %s\n", folder.c_str(),
                 project.Name().c_str(), project.Id().c_str(), folder.c_str());
    return Success;
}

// The project is checked as build checks it, then the bare runtime serves the folder itself.
int TPackTool::RunProject(const TCommandLine& command) {
    if (command.Positionals().empty()) return Usage("run takes PROJECT_DIR");
    const std::string& project = command.Positionals()[0];
    TProjectCheck check(Utf8Path(project));
    check.Run();
    for (const TProjectProblem& problem : check.Problems()) {
        const bool error = problem.severity == TProjectProblem::TSeverity::Error;
        std::fprintf(FErr, "zorv-pack: %s%s\n", error ? "" : "warning: ", problem.Message().c_str());
    }
    if (check.HasErrors()) return Failure;
    const std::string runtime = command.Option("--runtime").value_or(DefaultRuntimePath());
    if (!TExeUtils::GetFileByteSize(runtime))
        return Fail(Failure, "runtime \"" + runtime + "\" not found (give one with --runtime)");
    std::vector<std::string> args{TStartupSequence::ProjectOption, project};
    if (command.Has("--no-reload")) args.emplace_back(TStartupSequence::NoReloadOption);
    args.emplace_back("--");
    args.insert(args.end(), command.Positionals().begin() + 1, command.Positionals().end());
    std::fflush(FErr);
    const TResult<int> exitCode = RunChildProcess(runtime, args);
    if (!exitCode) return Fail(Failure, exitCode.Error());
    return exitCode.Value();
}

bool TPackTool::OpenArchive(const std::string& path, TAbZipKit& archive) {
    TResult<std::string> read = ReadWholeFile(path);
    if (!read) {
        Fail(NoArchive, read.Error());
        return false;
    }
    std::string bytes = std::move(read).Value();
    if (const std::optional<uint64_t> stubSize = TExeUtils::StubSizeOfBytes(bytes);
        stubSize && *stubSize <= bytes.size())
        bytes.erase(0, static_cast<std::size_t>(*stubSize));
    archive.SetPassword(ZORV_ARCHIVE_PASSWORD);
    try {
        // Nothing at all is no archive either, though the reader would take it as an empty one.
        if (bytes.empty()) throw EAbZipInvalid();
        archive.LoadFromMemory(std::move(bytes));
    } catch (const EAbException& e) {
        Fail(NoArchive, path + ": " + e.what());
        return false;
    }
    return true;
}

int TPackTool::List(const TCommandLine& command) {
    if (command.Positionals().size() != 1) return Usage("list takes one FILE");
    TAbZipKit archive;
    if (!OpenArchive(command.Positionals()[0], archive)) return NoArchive;
    for (int i = 0; i < archive.Count(); ++i) std::fprintf(FOut, "%s\n", ListedName(archive.Item(i).fileName).c_str());
    return std::fflush(FOut) == 0 ? Success : Failure;
}

int TPackTool::Cat(const TCommandLine& command) {
    if (command.Positionals().size() != 2) return Usage("cat takes FILE and ENTRY");
    const std::string& asked = command.Positionals()[1];
    TAbZipKit archive;
    if (!OpenArchive(command.Positionals()[0], archive)) return NoArchive;
    // The name as given, else as `list` escaped it.
    std::string entry = asked;
    if (archive.FindFile(entry) < 0) {
        const std::optional<std::string> unescaped = UnescapedName(asked);
        if (!unescaped || archive.FindFile(*unescaped) < 0)
            return Fail(Failure, command.Positionals()[0] + ": no entry named \"" + asked + "\"");
        entry = *unescaped;
    }
#ifdef _WIN32
    _setmode(_fileno(FOut), _O_BINARY);
#endif
    // The entry is checked whole first, so that nothing of a damaged one is printed, then written
    // out block by block as it is produced again: no copy of the whole entry is ever made.
    const TAbExtractStatus check = archive.TryExtractTo(entry, [](const char*, std::size_t) { return true; });
    if (check != TAbExtractStatus::Ok)
        return Fail(ExtractionFailed, command.Positionals()[0] + ": " + entry + ": " + TAbZipKit::StatusMessage(check));
    const TAbExtractStatus status = archive.TryExtractTo(
        entry, [this](const char* data, std::size_t size) { return std::fwrite(data, 1, size, FOut) == size; });
    if (status != TAbExtractStatus::Ok || std::fflush(FOut) != 0)
        return Fail(Failure, "cannot write to standard output");
    return Success;
}

}  // namespace zorv
