#include "tools/zorv-pack/ProjectPacker.h"

#include "tools/zorv-pack/UrlSpaceAdvice.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/AbZipKit.h"
#include "archive/ZipWriter.h"
#include "shared/MemIniFile.h"
#include "shared/ProjectCheck.h"
#include "shared/TextEncoding.h"
#include "shared/Utf8Path.h"

namespace zorv {
namespace {

namespace fs = std::filesystem;

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

TFilePtr OpenFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return TFilePtr(_wfopen(path.c_str(), wideMode.c_str()));
#else
    return TFilePtr(std::fopen(path.c_str(), mode));
#endif
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

std::string Quoted(const fs::path& path) {
    std::string text = Utf8(path);
    text.insert(text.begin(), '"');
    text.push_back('"');
    return text;
}

// The whole file, or nothing when it cannot be read (the archive then takes it as it is).
std::string ReadWhole(const fs::path& path) {
    const TFilePtr file = OpenFile(path, "rb");
    std::string bytes;
    if (!file) return bytes;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0;) bytes.append(buffer, got);
    return bytes;
}

TDosDateTime ModificationTime(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type written = fs::last_write_time(path, error);
    if (error) return {};
    const auto system = std::chrono::file_clock::to_sys(written);
    return TDosDateTime::FromTime(std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system)));
}

// Writes the folder's tree in name order: each folder's own entry, then its contents.
class TTreeWriter {
public:
    // `archivePath` is the archive being written: when it lies inside the application folder it
    // must not be packed into itself. Nothing outside `projectDir` enters the archive.
    TTreeWriter(TZipWriter& zip, const TProjectPacker::TWarning& warning, fs::path archivePath,
                const fs::path& projectDir)
        : FZip(zip),
          FWarning(warning),
          FArchivePath(std::move(archivePath)),
          FProjectRoot(ResolvedFolder(projectDir)) {}

    // Whether the file that `path` leads to, every link on the way followed, lies in the project.
    bool LiesInsideProject(const fs::path& path) const {
        std::error_code error;
        const fs::path resolved = fs::canonical(path, error);
        if (error) return false;
        return std::mismatch(FProjectRoot.begin(), FProjectRoot.end(), resolved.begin(), resolved.end()).first ==
               FProjectRoot.end();
    }

    // A file reached through a link that leaves the project is left out with a warning.
    bool AddFile(const fs::path& path, const std::string& entryName) {
        if (!LiesInsideProject(path)) {
            if (FWarning) FWarning("left out \"" + Utf8(path) + "\": it leads to a file outside the project");
            return true;
        }
        const TFilePtr file = OpenFile(path, "rb");
        if (!file) {
            FError = "Cannot open file \"" + Utf8(path) + "\"";
            return false;
        }
        const TStatus added =
            FZip.AddFile(entryName, ModificationTime(path), [&](char* buffer, std::size_t capacity, std::size_t& got) {
                got = std::fread(buffer, 1, capacity, file.get());
                return got > 0 || std::ferror(file.get()) == 0;
            });
        if (!added) FError = added.Error() + " (" + Utf8(path) + ")";
        return added.Ok();
    }

    bool AddFolder(const fs::path& path, const std::string& entryName) {
        if (const TStatus added = FZip.AddDirectory(entryName + "/", ModificationTime(path)); !added) {
            FError = added.Error();
            return false;
        }
        std::error_code error;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
            children.push_back(it->path());
        if (error) {
            FError = "Cannot read folder \"" + Utf8(path) + "\": " + error.message();
            return false;
        }
        std::sort(children.begin(), children.end());
        for (const fs::path& child : children) {
            if (fs::equivalent(child, FArchivePath, error)) continue;
            const std::string childName = entryName + "/" + Utf8(child.filename());
            const fs::file_status link = fs::symlink_status(child, error);
            const fs::file_status target = fs::status(child, error);
            if (fs::is_directory(link)) {
                if (!AddFolder(child, childName)) return false;
            } else if (fs::is_regular_file(target)) {
                if (!AddFile(child, childName)) return false;
            } else if (FWarning) {
                FWarning("left out \"" + Utf8(child) + "\": not a regular file or folder");
            }
        }
        return true;
    }

    const std::string& Error() const { return FError; }

private:
    static fs::path ResolvedFolder(const fs::path& folder) {
        std::error_code error;
        const fs::path resolved = fs::canonical(folder, error);
        return error ? fs::absolute(folder, error).lexically_normal() : resolved;
    }

    TZipWriter& FZip;
    const TProjectPacker::TWarning& FWarning;
    fs::path FArchivePath;
    fs::path FProjectRoot;
    std::string FError;
};

}  // namespace

const char* const TProjectPacker::OptionalFiles[3] = {"zorv-webviewjs", "WebView2LoaderWin64.dll",
                                                      "WebView2Installer.exe"};

std::optional<std::string> TProjectPacker::SettingsAsUtf8(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::nullopt;
    const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    if (!utf16 && TTextEncoding::IsValidUtf8(bytes)) return std::nullopt;
    return "\xEF\xBB\xBF" + TMemIniFile::DecodeText(bytes);
}

TStatus TProjectPacker::Load(const fs::path& projectDir) {
    FProjectDir = projectDir;
    TProjectCheck check(projectDir);
    check.Run();
    std::string errors;
    for (const TProjectProblem& problem : check.Problems()) {
        if (problem.severity == TProjectProblem::TSeverity::Error) {
            if (!errors.empty()) errors += '\n';
            errors += problem.Message();
        } else if (OnWarning) {
            OnWarning(problem.Message());
        }
    }
    if (!errors.empty()) return Failure(errors);
    const TProjectSettings& settings = check.Settings();
    FAppId = settings.id;
    FAppName = settings.name;
    FAppDirName = settings.dirName;
    for (const std::string& warning :
         TUrlSpaceAdvice::Warnings(check.Ini().ReadString("App", "UrlSpace", ""), projectDir / Utf8Path(FAppDirName)))
        if (OnWarning) OnWarning(warning);
    return {};
}

TStatus TProjectPacker::WriteArchive(const fs::path& zipPath) {
    TFilePtr out = OpenFile(zipPath, "wb");
    if (!out) return Failure("cannot create \"" + Utf8(zipPath) + "\"");
    TZipWriter zip([&](const void* data, std::size_t size) { return std::fwrite(data, 1, size, out.get()) == size; },
                   ZORV_ARCHIVE_PASSWORD);
    TTreeWriter tree(zip, OnWarning, zipPath, FProjectDir);
    // Left out, it would leave an archive that cannot start.
    if (!tree.LiesInsideProject(FProjectDir / "zorv.ini"))
        return Failure(Quoted(FProjectDir / "zorv.ini") + " leads to a file outside the project");
    const fs::path settingsPath = FProjectDir / "zorv.ini";
    if (const std::optional<std::string> utf8 = SettingsAsUtf8(ReadWhole(settingsPath))) {
        if (OnWarning)
            OnWarning(
                "zorv.ini is not UTF-8: it was read in this system's code page and is packed as UTF-8; "
                "check the application's name and password");
        if (const TStatus added = zip.AddFile("zorv.ini", ModificationTime(settingsPath), *utf8); !added)
            return Failure(added.Error());
    } else if (!tree.AddFile(settingsPath, "zorv.ini")) {
        return Failure(tree.Error());
    }
    for (const char* name : OptionalFiles) {
        std::error_code error;
        if (fs::is_regular_file(FProjectDir / name, error) && !tree.AddFile(FProjectDir / name, name))
            return Failure(tree.Error());
    }
    if (!tree.AddFolder(FProjectDir / Utf8Path(FAppDirName), FAppDirName)) return Failure(tree.Error());
    if (const TStatus finished = zip.Finish(); !finished) return Failure(finished.Error());
    if (std::fclose(out.release()) != 0) return Failure("cannot write \"" + Utf8(zipPath) + "\"");
    FEntryCount = zip.Count();
    return {};
}

}  // namespace zorv
