#include "backends/win32/WinFolderWatcher.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>

#include "backends/win32/WinText.h"
#include "shared/FailureSink.h"

namespace zorv {

namespace {

constexpr DWORD Filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                         FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;

// A path or name as Windows compares them: "\" steps, no trailing "\", letters folded.
std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    while (!text.empty() && text.back() == L'\\') text.pop_back();
    return text;
}

}  // namespace

TWinFolderWatcher::TChange TWinFolderWatcher::Classify(const std::wstring& name, TRole role) {
    const bool settings = Folded(name) == L"zorv.ini";
    switch (role) {
        case TRole::App: return TChange::Pages;
        case TRole::Project: return settings ? TChange::Settings : TChange::None;
        case TRole::AppAndProject: return settings ? TChange::Settings : TChange::Pages;
    }
    return TChange::None;
}

TWinFolderWatcher::TWinFolderWatcher(const std::wstring& projectFolder, const std::wstring& appDirName,
                                     IUiThread& uiThread, std::function<void()> onPagesChanged,
                                     std::function<void()> onSettingsChanged, TReadChanges readChanges)
    : FReadChanges(readChanges ? std::move(readChanges)
                               : TReadChanges([](HANDLE folder, void* buffer, DWORD bytes, BOOL subtree, DWORD filter,
                                                 OVERLAPPED* overlapped) {
                                     return ::ReadDirectoryChangesW(folder, buffer, bytes, subtree, filter, nullptr,
                                                                    overlapped, nullptr);
                                 })),
      FStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FUiThread(uiThread),
      FOnPagesChanged(std::move(onPagesChanged)),
      FOnSettingsChanged(std::move(onSettingsChanged)) {
    const std::filesystem::path project = std::filesystem::path(projectFolder).lexically_normal();
    const std::filesystem::path app = (project / appDirName).lexically_normal();
    if (Folded(app.wstring()) == Folded(project.wstring())) {
        AddWatch(project.wstring(), TRole::AppAndProject);
    } else {
        AddWatch(app.wstring(), TRole::App);
        AddWatch(project.wstring(), TRole::Project);
    }
    if (FStop && !FWatches.empty()) FThread = std::thread([this] { Watch(); });
}

TWinFolderWatcher::~TWinFolderWatcher() {
    if (FStop) ::SetEvent(FStop.Get());
    if (FThread.joinable()) FThread.join();
    // Expired once the thread that takes watches is gone; a report still queued then does nothing.
    FLifetime.Expire();
}

// A folder that cannot be opened (gone, not a folder) is left unwatched. Its first read starts
// here, on the creating thread (which outlives the watcher, so the read is not cancelled with it),
// so that every change made once the watcher exists is seen. A folder whose file system refuses
// the read is polled from its listing as it stands now; the first one is reported.
void TWinFolderWatcher::AddWatch(const std::wstring& folder, TRole role) {
    auto watch = std::make_unique<TWatch>();
    watch->role = role;
    watch->path = folder;
    watch->folder.Reset(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    watch->done.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watch->folder || !watch->done) return;
    if (!StartRead(*watch)) {
        const DWORD error = ::GetLastError();
        const bool anotherPolled =
            std::any_of(FWatches.begin(), FWatches.end(), [](const auto& other) { return other->polled; });
        if (!anotherPolled)
            TFailureSink::Report("The folder \"" + TWinText::WideToUtf8(folder) +
                                 "\" cannot report its changes (error " + std::to_string(error) +
                                 "); it is compared with a listing every " + std::to_string(PollMs) + " ms instead");
        watch->polled = true;
        watch->folder.Reset();
        watch->listing = List(*watch);
    }
    FWatches.push_back(std::move(watch));
}

bool TWinFolderWatcher::StartRead(TWatch& watch) {
    watch.overlapped = {};
    watch.overlapped.hEvent = watch.done.Get();
    ::ResetEvent(watch.done.Get());
    return FReadChanges(watch.folder.Get(), watch.buffer.data(),
                        static_cast<DWORD>(watch.buffer.size() * sizeof(DWORD)), watch.role != TRole::Project, Filter,
                        &watch.overlapped) != FALSE;
}

TWinFolderWatcher::TListing TWinFolderWatcher::List(const TWatch& watch) {
    TListing listing;
    const bool subtree = watch.role != TRole::Project;
    std::vector<std::wstring> folders{L""};
    for (std::size_t next = 0; next < folders.size() && listing.size() < MaxPolledEntries; ++next) {
        const std::wstring prefix = folders[next];
        WIN32_FIND_DATAW found{};
        const TFindHandle search(::FindFirstFileExW((watch.path + L"\\" + prefix + L"*").c_str(), FindExInfoBasic,
                                                    &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!search) continue;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const uint64_t size = folder ? 0 : (uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow);
            const uint64_t written =
                uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32 | found.ftLastWriteTime.dwLowDateTime;
            listing[prefix + name] = {size, folder ? 0 : written};
            // Links to folders are not followed, so that a loop cannot keep the listing going.
            if (folder && subtree && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                folders.push_back(prefix + name + L"\\");
        } while (listing.size() < MaxPolledEntries && ::FindNextFileW(search.Get(), &found));
    }
    return listing;
}

bool TWinFolderWatcher::Poll(TWatch& watch, TBurst& burst) {
    TListing now = List(watch);
    bool changed = false;
    const auto mark = [&](const std::wstring& name) {
        changed = true;
        switch (Classify(name, watch.role)) {
            case TChange::Settings: burst.settings = true; break;
            case TChange::Pages: burst.pages = true; break;
            case TChange::None: break;
        }
    };
    for (const auto& [name, facts] : now) {
        const auto before = watch.listing.find(name);
        if (before == watch.listing.end() || before->second != facts) mark(name);
    }
    for (const auto& [name, facts] : watch.listing)
        if (!now.count(name)) mark(name);
    watch.listing = std::move(now);
    return changed;
}

// Every folder has one read pending (or is polled every PollMs); once something relevant
// changed, DebounceMs without another completed read or changed listing end the burst and report
// it. The reads stay pending across reports, so no change falls between two reads; they are
// cancelled only when the watcher stops.
void TWinFolderWatcher::Watch() {
    std::vector<TWatch*> reading, polled;
    for (const auto& watch : FWatches) (watch->polled ? polled : reading).push_back(watch.get());
    TBurst burst;
    ULONGLONG lastChange = 0;
    ULONGLONG nextPoll = ::GetTickCount64() + PollMs;
    const auto until = [](ULONGLONG at) {
        const ULONGLONG now = ::GetTickCount64();
        return at > now ? static_cast<DWORD>(at - now) : DWORD{0};
    };
    while (!reading.empty() || !polled.empty()) {
        std::vector<HANDLE> waits{FStop.Get()};
        for (const TWatch* watch : reading) waits.push_back(watch->done.Get());
        DWORD timeout = burst.Any() ? until(lastChange + DebounceMs) : INFINITE;
        if (!polled.empty()) timeout = std::min(timeout, until(nextPoll));
        const DWORD woken = ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, timeout);
        if (woken == WAIT_TIMEOUT) {
            if (!polled.empty() && ::GetTickCount64() >= nextPoll) {
                for (TWatch* watch : polled)
                    if (Poll(*watch, burst)) lastChange = ::GetTickCount64();
                nextPoll = ::GetTickCount64() + PollMs;
            }
            if (burst.Any() && ::GetTickCount64() >= lastChange + DebounceMs) {
                Report(burst);
                burst = {};
            }
            continue;
        }
        const DWORD index = woken - WAIT_OBJECT_0;
        if (index == 0 || index >= waits.size()) break;  // stopped, or the wait failed
        TWatch& watch = *reading[index - 1];
        DWORD bytes = 0;
        const bool read = ::GetOverlappedResult(watch.folder.Get(), &watch.overlapped, &bytes, FALSE) != FALSE;
        if (read) {
            Gather(watch, bytes, burst);
            lastChange = ::GetTickCount64();
        }
        // A folder whose read fails (it was removed) is no longer watched; the others go on.
        if (!read || !StartRead(watch)) reading.erase(reading.begin() + (index - 1));
    }
    for (TWatch* watch : reading) {
        ::CancelIoEx(watch->folder.Get(), &watch->overlapped);
        DWORD ignored = 0;
        ::GetOverlappedResult(watch->folder.Get(), &watch->overlapped, &ignored, TRUE);
    }
}

void TWinFolderWatcher::Gather(const TWatch& watch, DWORD bytes, TBurst& burst) {
    if (bytes == 0) {
        // More changes than the buffer held, their names lost: in the project folder zorv.ini may
        // be among them; in the application folder they are its pages.
        if (watch.role == TRole::Project)
            burst.settings = true;
        else
            burst.pages = true;
        return;
    }
    const auto* base = reinterpret_cast<const BYTE*>(watch.buffer.data());
    for (DWORD offset = 0;;) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
        const std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
        switch (Classify(name, watch.role)) {
            case TChange::Settings: burst.settings = true; break;
            case TChange::Pages: burst.pages = true; break;
            case TChange::None: break;
        }
        if (record->NextEntryOffset == 0) return;
        offset += record->NextEntryOffset;
    }
}

void TWinFolderWatcher::Report(const TBurst& burst) {
    FUiThread.Post([alive = FLifetime.Watch(), this, settings = burst.settings] {
        if (alive.Expired()) return;
        if (settings && FOnSettingsChanged)
            FOnSettingsChanged();
        else if (!settings && FOnPagesChanged)
            FOnPagesChanged();
    });
}

}  // namespace zorv
