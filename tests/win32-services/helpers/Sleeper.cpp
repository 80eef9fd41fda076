// Sleeps for argv[1] milliseconds, then exits with the code argv[2].
// "spawn MS" instead starts a copy of itself that sleeps MS milliseconds with this program's own
// standard handles, prints "spawned" and ends at once: a program that leaves a child holding its
// output. "flood MB MS" writes MB mebibytes of "x" to its standard output, then sleeps MS
// milliseconds. "record FILE ..." writes its own command line, as the system gave it, to FILE
// (UTF-8). A copy named cmd.exe or explorer.exe (planted where a search for that program would
// find it) only leaves the file "<its own path>.ran" behind and ends. "console-text" writes
// "café über" and a line end the way a console program does: in its console's output code page,
// or without a console in the OEM page of the console Windows would give it.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool RanAsAPlantedProgram() {
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string name(self, length);
    name = name.substr(name.find_last_of("\\/") + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name != "cmd.exe" && name != "explorer.exe") return false;
    if (std::FILE* mark = std::fopen((std::string(self, length) + ".ran").c_str(), "wb")) std::fclose(mark);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (RanAsAPlantedProgram()) return 0;
    if (argc > 2 && std::strcmp(argv[1], "spawn") == 0) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string command = std::string("\"") + self + "\" " + argv[2];
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
            return 1;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::printf("spawned\n");
        return 0;
    }
    if (argc > 3 && std::strcmp(argv[1], "flood") == 0) {
        const std::string chunk(1 << 20, 'x');
        HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        for (int i = 0; i < std::atoi(argv[2]); ++i) {
            DWORD written = 0;
            if (!WriteFile(output, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr)) return 1;
        }
        Sleep(static_cast<DWORD>(std::atoi(argv[3])));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "console-text") == 0) {
        const UINT console = GetConsoleOutputCP();
        const wchar_t text[] = L"caf\u00E9 \u00FCber\n";
        char bytes[64] = {};
        const int size = WideCharToMultiByte(console != 0 ? console : GetOEMCP(), 0, text, -1, bytes, sizeof(bytes),
                                             nullptr, nullptr);
        if (size <= 1) return 1;
        std::fwrite(bytes, 1, static_cast<std::size_t>(size - 1), stdout);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "record") == 0) {
        const wchar_t* commandLine = GetCommandLineW();
        const int size = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? size - 1 : 0, '\0');
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, text.data(), size, nullptr, nullptr);
        std::FILE* file = std::fopen(argv[2], "wb");
        if (!file) return 1;
        std::fwrite(text.data(), 1, text.size(), file);
        return std::fclose(file) == 0 ? 0 : 1;
    }
    if (argc > 1) Sleep(static_cast<DWORD>(std::atoi(argv[1])));
    return argc > 2 ? std::atoi(argv[2]) : 0;
}
