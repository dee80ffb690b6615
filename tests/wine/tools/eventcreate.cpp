// A stand-in for Windows' eventcreate.exe, which Wine lacks, for the tests of assign.bat: it
// appends its arguments, separated by one space, as one line to C:\mountvol\events.txt.

#include <fstream>
#include <string>

int main(int argc, char** argv) {
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        arguments += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    std::ofstream("C:\\mountvol\\events.txt", std::ios::app) << arguments << "\n";
    return 0;
}
