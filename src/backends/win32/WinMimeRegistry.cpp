#include "backends/win32/WinMimeRegistry.h"

#include <string>

#include "backends/win32/WinText.h"
#include "shared/StrUtils.h"

namespace zorv {

namespace {
constexpr DWORD NotifyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

std::wstring ReadStringValue(HKEY parent, const std::wstring& subKey, const wchar_t* valueName) {
    TRegKeyHandle key;
    if (::RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return {};
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    value.resize(::wcsnlen(value.c_str(), value.size()));
    return value;
}

// The names of every direct subkey, in the registry's order.
std::vector<std::wstring> SubKeyNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LONG result = ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;  // longer than any extension or type name
        if (result != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::string Lower(const std::wstring& text) { return TStrUtils::LowerCase(TWinText::WideToUtf8(text)); }

void ReadExtensionKeys(std::vector<TMimeMapping>& mappings) {
    for (const std::wstring& name : SubKeyNames(HKEY_CLASSES_ROOT)) {
        if (name.empty() || name[0] != L'.') continue;
        const std::wstring type = ReadStringValue(HKEY_CLASSES_ROOT, name, L"Content Type");
        if (!type.empty()) mappings.push_back({Lower(name), Lower(type)});
    }
}

void ReadContentTypeKeys(std::vector<TMimeMapping>& mappings) {
    const std::wstring database = L"MIME\\Database\\Content Type";
    TRegKeyHandle key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, database.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    for (const std::wstring& type : SubKeyNames(key.Get())) {
        std::wstring extension = ReadStringValue(key.Get(), type, L"Extension");
        if (extension.empty()) continue;
        if (extension[0] != L'.') extension.insert(extension.begin(), L'.');
        mappings.push_back({Lower(extension), Lower(type)});
    }
}
}  // namespace

TWinMimeRegistry::TWinMimeRegistry() {
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_NOTIFY, FMachineClasses.Put());
    ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_NOTIFY, FUserClasses.Put());
    FMachineChanged.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    FUserChanged.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

std::vector<TMimeMapping> TWinMimeRegistry::ReadMappings() {
    std::vector<TMimeMapping> mappings;
    ReadExtensionKeys(mappings);
    ReadContentTypeKeys(mappings);
    return mappings;
}

void TWinMimeRegistry::Refresh() {
    if (FLoaded && !RegistryChanged()) return;
    // Arm the watch before reading, so that a change made during the read is not missed.
    WatchForChanges();
    TMimeTypes::InstallPlatformMappings(ReadMappings());
    FLoaded = true;
}

void TWinMimeRegistry::WatchForChanges() {
    const auto watch = [](const TRegKeyHandle& key, const TKernelHandle& event) {
        if (!key || !event) return;
        ::ResetEvent(event.Get());
        ::RegNotifyChangeKeyValue(key.Get(), TRUE, NotifyFilter, event.Get(), TRUE);
    };
    watch(FMachineClasses, FMachineChanged);
    watch(FUserClasses, FUserChanged);
}

bool TWinMimeRegistry::RegistryChanged() const {
    const auto signalled = [](const TKernelHandle& event) {
        return event && ::WaitForSingleObject(event.Get(), 0) == WAIT_OBJECT_0;
    };
    // Without a watch there is no way to tell: read again every time rather than serve stale types.
    if (!FMachineClasses && !FUserClasses) return true;
    return signalled(FMachineChanged) || signalled(FUserChanged);
}

}  // namespace zorv
