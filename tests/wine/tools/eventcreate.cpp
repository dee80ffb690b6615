// A stand-in for Windows' eventcreate.exe, which Wine lacks, for the tests of assign.bat: it
// appends its arguments, separated by one space, as one line to C:\mountvol\events.txt.

#include <fstream>

int main(int argc, char** argv) {
    std::ofstream events("C:\\mountvol\\events.txt", std::ios::app);
    for (int i = 1; i < argc; ++i) {
        events << argv[i] << (i + 1 < argc ? " " : "\n");
    }
}
