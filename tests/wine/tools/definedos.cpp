// Defines a DOS device name and keeps it defined while this process lives (Wine drops
// the definition when the defining process ends):  definedos <name> <target>

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: definedos <name> <target>\n");
        return 64;
    }
    if (!DefineDosDeviceW(0, argv[1], argv[2])) {
        std::fprintf(stderr, "DefineDosDeviceW failed: %lu\n", GetLastError());
        return 2;
    }
    std::printf("defined\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
