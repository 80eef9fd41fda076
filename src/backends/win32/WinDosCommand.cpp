#include "backends/win32/WinDosCommand.h"

#include <algorithm>
#include <climits>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include <tlhelp32.h>

#include "backends/win32/SysUtils.h"
#include "shared/CommandOutput.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

constexpr DWORD PipeBufferBytes = 1 << 16;

// An inheritable copy of `handle` for one child, or none when `handle` is not a usable handle.
TKernelHandle InheritableCopy(HANDLE handle) {
    TKernelHandle copy;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return copy;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), copy.Put(), 0, TRUE, DUPLICATE_SAME_ACCESS))
        copy.Release();
    return copy;
}

// The attribute list that limits what a child inherits to `handles`.
class THandleList {
public:
    explicit THandleList(std::vector<HANDLE> handles) : FHandles(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        FBuffer.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(FBuffer.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        FInitialized = true;
        FValid = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, FHandles.data(),
                                           FHandles.size() * sizeof(HANDLE), nullptr, nullptr) != 0;
    }
    ~THandleList() {
        if (FInitialized) DeleteProcThreadAttributeList(List());
    }
    THandleList(const THandleList&) = delete;
    THandleList& operator=(const THandleList&) = delete;
    bool IsValid() const { return FValid; }
    LPPROC_THREAD_ATTRIBUTE_LIST List() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(FBuffer.data()); }

private:
    std::vector<HANDLE> FHandles;
    std::vector<char> FBuffer;
    bool FInitialized = false;
    bool FValid = false;
};

// Starting children one at a time keeps each child's inheritable handles out of the others even
// where the system does not honour the handle list.
std::mutex& StartLock() {
    static std::mutex lock;
    return lock;
}

// The child starts suspended and joins `job` before it runs, so that everything it starts can be
// ended together.
bool StartProcess(const std::wstring& program, std::wstring command, const std::wstring& workingDir, bool showWindow,
                  HANDLE output, HANDLE job, const TWinDosCommand::TJobAssignment& assignToJob,
                  PROCESS_INFORMATION& process, bool& inJob) {
    std::lock_guard lock(StartLock());
    TKernelHandle childOutput = InheritableCopy(output);
    TKernelHandle childInput = InheritableCopy(GetStdHandle(STD_INPUT_HANDLE));
    if (!childOutput) return false;
    std::vector<HANDLE> inherited{childOutput.Get()};
    if (childInput) inherited.push_back(childInput.Get());
    THandleList handleList(inherited);
    if (!handleList.IsValid()) return false;

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = showWindow ? SW_SHOWNORMAL : SW_HIDE;
    startup.StartupInfo.hStdInput = childInput.Get();
    startup.StartupInfo.hStdOutput = childOutput.Get();
    startup.StartupInfo.hStdError = childOutput.Get();
    startup.lpAttributeList = handleList.List();
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                        EXTENDED_STARTUPINFO_PRESENT | CREATE_SUSPENDED, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup.StartupInfo, &process))
        return false;
    inJob = job && assignToJob(job, process.hProcess);
    ResumeThread(process.hThread);
    return true;
}

// A pipe whose read end can be waited on together with the process: an anonymous pipe reads only
// by blocking, and a program left running may hold its write end for good.
bool CreateCommandPipe(TFileHandle& readEnd, TFileHandle& writeEnd) {
    static std::atomic<unsigned> counter{0};
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::wstring name = L"\\\\.\\pipe\\zorv-command-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++counter) + L"-" + std::to_wstring(now.QuadPart);
    readEnd.Reset(CreateNamedPipeW(name.c_str(),
                                   PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                                   PipeBufferBytes, 0, nullptr));
    if (!readEnd) return false;
    writeEnd.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(writeEnd);
}

// Reads the command's output until every writer has gone, or until the command interpreter has
// ended (then what the pipe holds is taken and the rest left), or until the output passes the
// limit (one byte beyond it is kept to tell so).
class TOutputReader {
public:
    TOutputReader(HANDLE pipe, HANDLE process)
        : FPipe(pipe), FProcess(process), FEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        FOverlapped.hEvent = FEvent.Get();
    }

    std::string ReadAll() {
        if (!FEvent) return {};
        while (!Full()) {
            const std::optional<bool> started = StartRead();
            if (!started) break;  // the pipe is broken: every writer has gone
            if (*started) continue;
            HANDLE waits[2] = {FEvent.Get(), FProcess};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
                if (!FinishRead(FALSE)) break;
                continue;
            }
            CancelIo(FPipe);
            FinishRead(TRUE);
            TakeWhatIsThere();
            break;
        }
        return std::move(FBytes);
    }

private:
    bool Full() const { return FBytes.size() > MaxCommandOutputBytes; }
    DWORD Wanted(std::size_t available) const {
        return static_cast<DWORD>(
            std::min<std::size_t>({available, sizeof(FBuffer), MaxCommandOutputBytes + 1 - FBytes.size()}));
    }
    // True when the read completed at once, false when it is under way, nothing when it failed.
    std::optional<bool> StartRead(std::size_t available = sizeof(FBuffer)) {
        ResetEvent(FEvent.Get());
        DWORD read = 0;
        if (ReadFile(FPipe, FBuffer, Wanted(available), &read, &FOverlapped)) {
            FBytes.append(FBuffer, read);
            return true;
        }
        if (GetLastError() != ERROR_IO_PENDING) return std::nullopt;
        return false;
    }
    bool FinishRead(BOOL wait) {
        DWORD read = 0;
        if (!GetOverlappedResult(FPipe, &FOverlapped, &read, wait)) return false;
        FBytes.append(FBuffer, read);
        return true;
    }
    void TakeWhatIsThere() {
        while (!Full()) {
            DWORD available = 0;
            if (!PeekNamedPipe(FPipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
            const std::optional<bool> started = StartRead(available);
            if (!started || (!*started && !FinishRead(TRUE))) return;
        }
    }

    HANDLE FPipe;
    HANDLE FProcess;
    TKernelHandle FEvent;
    OVERLAPPED FOverlapped{};
    char FBuffer[65536];
    std::string FBytes;
};

// The process ids of `root` and of every process it started, directly or not, that is still
// running (a bounded walk over one snapshot of the system's processes).
std::vector<DWORD> ProcessTree(DWORD root) {
    std::vector<PROCESSENTRY32W> processes;
    TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Get() == INVALID_HANDLE_VALUE) snapshot.Release();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (snapshot && Process32FirstW(snapshot.Get(), &entry)) {
        do processes.push_back(entry);
        while (processes.size() < 65536 && Process32NextW(snapshot.Get(), &entry));
    }
    std::vector<DWORD> tree{root};
    for (std::size_t next = 0; next < tree.size(); ++next)
        for (const PROCESSENTRY32W& process : processes)
            if (process.th32ParentProcessID == tree[next] && process.th32ProcessID != root &&
                std::find(tree.begin(), tree.end(), process.th32ProcessID) == tree.end())
                tree.push_back(process.th32ProcessID);
    return tree;
}

// Without a job the command interpreter and what it started are ended one by one, the
// interpreter last so that its children cannot be missed for being started meanwhile.
void EndProcessTree(HANDLE interpreter) {
    const DWORD root = GetProcessId(interpreter);
    std::vector<DWORD> tree = ProcessTree(root);
    for (auto id = tree.rbegin(); id != tree.rend(); ++id) {
        if (*id == root) continue;
        TKernelHandle child(OpenProcess(PROCESS_TERMINATE, FALSE, *id));
        if (child) TerminateProcess(child.Get(), 1);
    }
    TerminateProcess(interpreter, 1);
}

}  // namespace

std::wstring TWinDosCommand::InterpreterPath() { return TSysUtils::SystemProgramPath(L"cmd.exe"); }

UINT TWinDosCommand::OutputCodePage() {
    const UINT console = GetConsoleOutputCP();
    return console != 0 ? console : GetOEMCP();
}

std::wstring TWinDosCommand::Decode(const std::string& bytes, UINT codePage) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::wstring TWinDosCommand::Run(const std::wstring& commandLine, const std::wstring& workingDir, bool showWindow) {
    return Run(commandLine, workingDir, showWindow,
               [](HANDLE job, HANDLE process) { return AssignProcessToJobObject(job, process) != FALSE; });
}

std::wstring TWinDosCommand::Run(const std::wstring& commandLine, const std::wstring& workingDir, bool showWindow,
                                 const TJobAssignment& assignToJob) {
    const std::wstring interpreter = InterpreterPath();
    if (interpreter.empty()) return {};
    TFileHandle readEnd, writeEnd;
    if (!CreateCommandPipe(readEnd, writeEnd)) return {};
    TKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    PROCESS_INFORMATION process{};
    bool inJob = false;
    const bool started = StartProcess(interpreter, L"cmd.exe /C " + commandLine, workingDir, showWindow, writeEnd.Get(),
                                      job.Get(), assignToJob, process, inJob);
    // Our write end must go, or the pipe would never report that its writers have gone.
    writeEnd.Reset();
    if (!started) return {};
    TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);

    // The bytes are decoded once at the end so that a character split between two reads stays whole.
    const std::string bytes = TOutputReader(readEnd.Get(), processHandle.Get()).ReadAll();
    if (bytes.size() > MaxCommandOutputBytes) {
        // Too much output: the command and what it started are ended, and the cut text is given
        // back longer than the limit so that the caller refuses it.
        if (!inJob || !TerminateJobObject(job.Get(), 1)) EndProcessTree(processHandle.Get());
    }
    WaitForSingleObject(processHandle.Get(), INFINITE);
    return Decode(bytes, OutputCodePage());
}

}  // namespace zorv
