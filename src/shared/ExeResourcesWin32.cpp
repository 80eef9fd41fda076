#include <windows.h>

#include <cstdint>
#include <optional>

#include "shared/ExeResources.h"
#include "shared/ExeResourcesParts.h"
#include "shared/InputFile.h"
#include "shared/VersionResource.h"
#include "shared/Win32Handles.h"

namespace zorv {

using exe_resources::IconHeaderSize;
using exe_resources::ReadLittleEndian;

namespace {

// The size of one image entry of an icon group resource.
constexpr size_t GroupEntrySize = 14;

void AppendWord(std::string& bytes, uint16_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8));
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::optional<std::string> ReadFileLimited(const std::string& path, size_t limit) {
    TResult<std::unique_ptr<TInputFile>> in = TInputFile::Open(path);
    if (!in) return std::nullopt;
    std::string bytes;
    const TInputFile::TEnd end = in.Value()->AppendRest(bytes, limit);
    if (end == TInputFile::TEnd::TooLarge) throw EExeResourceError("Icon file is too large");
    if (end == TInputFile::TEnd::Failed) return std::nullopt;
    return bytes;
}

// The executable mapped as data, for reading its resources; released before the update starts so
// that the file is not held open while it is rewritten.
class TResourceReader {
public:
    explicit TResourceReader(const std::wstring& path)
        : FModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
        if (!FModule) FModule.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }

    bool IsOpen() const { return FModule.IsValid(); }

    // The first language the resource is stored with.
    std::optional<WORD> Language(LPCWSTR type, LPCWSTR name) const {
        std::optional<WORD> language;
        EnumResourceLanguagesW(
            FModule.Get(), type, name,
            [](HMODULE, LPCWSTR, LPCWSTR, WORD found, LONG_PTR context) -> BOOL {
                *reinterpret_cast<std::optional<WORD>*>(context) = found;
                return FALSE;
            },
            reinterpret_cast<LONG_PTR>(&language));
        return language;
    }

    std::optional<std::string> Bytes(LPCWSTR type, LPCWSTR name, WORD language) const {
        HRSRC found = FindResourceExW(FModule.Get(), type, name, language);
        if (!found) return std::nullopt;
        HGLOBAL loaded = LoadResource(FModule.Get(), found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return std::nullopt;
        return std::string(static_cast<const char*>(data), SizeofResource(FModule.Get(), found));
    }

private:
    TLibraryHandle FModule;
};

// A resource update that is discarded unless committed.
class TResourceUpdate {
public:
    explicit TResourceUpdate(const std::wstring& path) : FHandle(BeginUpdateResourceW(path.c_str(), FALSE)) {
        if (!FHandle)
            throw EExeResourceError("Cannot open the executable for a resource update: error " +
                                    std::to_string(GetLastError()));
    }
    ~TResourceUpdate() {
        if (FHandle) EndUpdateResourceW(FHandle, TRUE);
    }
    TResourceUpdate(const TResourceUpdate&) = delete;
    TResourceUpdate& operator=(const TResourceUpdate&) = delete;

    void Write(LPCWSTR type, LPCWSTR name, WORD language, const std::string& data, const char* what) {
        if (!UpdateResourceW(FHandle, type, name, language, const_cast<char*>(data.data()),
                             static_cast<DWORD>(data.size())))
            throw EExeResourceError(std::string("Cannot write the ") + what + ": error " +
                                    std::to_string(GetLastError()));
    }
    void Delete(LPCWSTR type, LPCWSTR name, WORD language) {
        UpdateResourceW(FHandle, type, name, language, nullptr, 0);
    }
    void Commit() {
        HANDLE handle = FHandle;
        FHandle = nullptr;
        if (!EndUpdateResourceW(handle, FALSE))
            throw EExeResourceError("Cannot save the resources of the executable: error " +
                                    std::to_string(GetLastError()));
    }

private:
    HANDLE FHandle;
};

struct TStoredIcon {
    WORD id;
    WORD language;
};

constexpr WORD EnglishUnitedStates = 1033;
const wchar_t* const MainIconName = L"MAINICON";

}  // namespace

void TExeResources::ChangeExeIcon(const std::string& exePath, const std::string& icoPath) {
    const auto iconBytes = ReadFileLimited(icoPath, MaxIconFileSize);
    if (!iconBytes) throw EExeResourceError("Cannot read the icon file " + icoPath);
    const std::vector<TIconImage> images = ParseIconFile(*iconBytes);
    const std::wstring exe = Widen(exePath);

    // What the executable holds now: the group's header words and language, and its images.
    uint16_t groupReserved = 0, groupType = 1;
    std::optional<WORD> groupLanguage;
    std::vector<TStoredIcon> oldIcons;
    {
        TResourceReader reader(exe);
        if (!reader.IsOpen())
            throw EExeResourceError("Cannot read the resources of " + exePath + ": error " +
                                    std::to_string(GetLastError()));
        groupLanguage = reader.Language(RT_GROUP_ICON, MainIconName);
        if (groupLanguage) {
            const auto group = reader.Bytes(RT_GROUP_ICON, MainIconName, *groupLanguage);
            if (!group || group->size() < IconHeaderSize)
                throw EExeResourceError("The MAINICON group of " + exePath + " is damaged");
            groupReserved = static_cast<uint16_t>(ReadLittleEndian(*group, 0, 2));
            groupType = static_cast<uint16_t>(ReadLittleEndian(*group, 2, 2));
            const size_t count = ReadLittleEndian(*group, 4, 2);
            for (size_t i = 0; i < count && IconHeaderSize + GroupEntrySize * (i + 1) <= group->size(); ++i) {
                const auto id =
                    static_cast<WORD>(ReadLittleEndian(*group, IconHeaderSize + GroupEntrySize * i + 12, 2));
                const auto language = reader.Language(RT_ICON, MAKEINTRESOURCEW(id));
                if (language) oldIcons.push_back({id, *language});
            }
        }
    }

    // The new resources replace the old ones in place under the language the group was stored
    // with (some resource updaters ignore deletions of existing resources).
    const WORD language = groupLanguage.value_or(EnglishUnitedStates);
    std::string group;
    AppendWord(group, groupReserved);
    AppendWord(group, groupType);
    AppendWord(group, static_cast<uint16_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        group += images[i].directoryEntry;
        AppendWord(group, static_cast<uint16_t>(i + 1));
    }

    TResourceUpdate update(exe);
    if (groupLanguage && *groupLanguage != language) update.Delete(RT_GROUP_ICON, MainIconName, *groupLanguage);
    for (const TStoredIcon& old : oldIcons) {
        const bool rewritten = old.language == language && old.id >= 1 && old.id <= images.size();
        if (!rewritten) update.Delete(RT_ICON, MAKEINTRESOURCEW(old.id), old.language);
    }
    for (size_t i = 0; i < images.size(); ++i)
        update.Write(RT_ICON, MAKEINTRESOURCEW(i + 1), language, images[i].data, "icon image");
    update.Write(RT_GROUP_ICON, MainIconName, language, group, "icon group");
    update.Commit();
}

bool TExeResources::UpdateExeVersionStrings(const std::string& exePath,
                                            const std::map<std::string, std::string>& values) {
    const std::wstring exe = Widen(exePath);
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::optional<WORD> language;
    std::optional<std::string> block;
    {
        TResourceReader reader(exe);
        if (!reader.IsOpen()) return false;
        language = reader.Language(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
        if (!language) return false;
        block = reader.Bytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), *language);
    }
    auto resource = block ? TVersionResource::Parse(*block) : std::nullopt;
    if (!resource) return false;
    for (const auto& [key, value] : values) resource->ReplaceString(key, value);
    const std::string rewritten = resource->Serialize();
    if (rewritten.empty()) return false;  // the values do not fit a version resource
    try {
        // Written back under its own language, so that the file keeps one version resource.
        TResourceUpdate update(exe);
        update.Write(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), *language, rewritten, "version resource");
        update.Commit();
        return true;
    } catch (const EExeResourceError&) {
        return false;
    }
}

}  // namespace zorv
