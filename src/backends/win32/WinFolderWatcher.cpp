#include "backends/win32/WinFolderWatcher.h"

#include <cwctype>
#include <vector>

namespace zorv {

namespace {

constexpr DWORD Filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                         FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    while (!text.empty() && text.back() == L'\\') text.pop_back();
    return text;
}

}  // namespace

TWinFolderWatcher::TChange TWinFolderWatcher::Classify(const std::wstring& name, const std::wstring& appDirName) {
    const std::wstring changed = Folded(name);
    const std::wstring appDir = Folded(appDirName);
    if (changed == L"zorv.ini") return TChange::Settings;
    if (changed == appDir || changed.rfind(appDir + L"\\", 0) == 0) return TChange::Pages;
    return TChange::None;
}

TWinFolderWatcher::TWinFolderWatcher(const std::wstring& projectFolder, const std::wstring& appDirName,
                                     IUiThread& uiThread, std::function<void()> onPagesChanged,
                                     std::function<void()> onSettingsChanged)
    : FFolder(::CreateFileW(projectFolder.c_str(), FILE_LIST_DIRECTORY,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
      FStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FAppDirName(appDirName),
      FUiThread(uiThread),
      FOnPagesChanged(std::move(onPagesChanged)),
      FOnSettingsChanged(std::move(onSettingsChanged)) {
    if (FFolder && FStop) FThread = std::thread([this] { Watch(); });
}

TWinFolderWatcher::~TWinFolderWatcher() {
    *FAlive = false;
    if (FStop) ::SetEvent(FStop.Get());
    if (FThread.joinable()) FThread.join();
}

// One read is pending at a time; once something relevant changed, a read that finds nothing new
// within DebounceMs ends the burst and reports it.
void TWinFolderWatcher::Watch() {
    TKernelHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return;
    std::vector<DWORD> buffer(16 * 1024);  // DWORD-aligned, as the records must be
    bool pages = false;
    bool settings = false;
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = done.Get();
        ::ResetEvent(done.Get());
        if (!::ReadDirectoryChangesW(FFolder.Get(), buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD)),
                                     TRUE, Filter, nullptr, &overlapped, nullptr))
            return;
        const HANDLE waits[] = {FStop.Get(), done.Get()};
        const DWORD timeout = pages || settings ? DebounceMs : INFINITE;
        const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, timeout);
        if (woken != WAIT_OBJECT_0 + 1) {
            ::CancelIoEx(FFolder.Get(), &overlapped);
            DWORD ignored = 0;
            ::GetOverlappedResult(FFolder.Get(), &overlapped, &ignored, TRUE);
            if (woken != WAIT_TIMEOUT) return;  // stopped
            FUiThread.Post([alive = std::weak_ptr<bool>(FAlive), this, settings] {
                const auto living = alive.lock();
                if (!living || !*living) return;
                if (settings && FOnSettingsChanged)
                    FOnSettingsChanged();
                else if (!settings && FOnPagesChanged)
                    FOnPagesChanged();
            });
            pages = settings = false;
            continue;
        }
        DWORD bytes = 0;
        if (!::GetOverlappedResult(FFolder.Get(), &overlapped, &bytes, FALSE)) return;
        if (bytes == 0) {
            pages = true;  // more changes than the buffer held: take them as a change of the pages
            continue;
        }
        const auto* base = reinterpret_cast<const BYTE*>(buffer.data());
        for (DWORD offset = 0;;) {
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
            const std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            switch (Classify(name, FAppDirName)) {
                case TChange::Settings: settings = true; break;
                case TChange::Pages: pages = true; break;
                case TChange::None: break;
            }
            if (record->NextEntryOffset == 0) break;
            offset += record->NextEntryOffset;
        }
    }
}

}  // namespace zorv
