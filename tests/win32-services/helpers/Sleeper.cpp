// Sleeps for argv[1] milliseconds, then exits with the code argv[2].
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc > 1) Sleep(static_cast<DWORD>(std::atoi(argv[1])));
    return argc > 2 ? std::atoi(argv[2]) : 0;
}
