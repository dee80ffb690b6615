// A stand-in for Windows' mountvol.exe, which Wine lacks, for the tests of assign.bat. It
// answers from a scripted mount table and records every call. Its files are in the
// prefix's C:\mountvol folder:
//   table.txt  the mount table, one "X:\ \\?\Volume{GUID}\" line per drive letter;
//              rewritten by every change
//   cues.txt   what to do on cue, one a line: "fail list N" (the Nth listing, or * for every
//              one), "fail remove X:\", "fail assign X:\" (or * for any letter): the call
//              prints an error, changes nothing and exits with 1; "slow MS": every call
//              first waits that many milliseconds
//   calls.txt  appended by every call: its arguments, separated by one space
// The forms it understands, as the real tool does:
//   mountvol                         lists each volume name with its mount points below it
//   mountvol X:\ /D                  removes the mount point X:\ (and so the letter)
//   mountvol X:\ \\?\Volume{GUID}\   mounts that volume at X:\ (when X:\ is free)

#include <windows.h>

#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

const std::string kFolder = "C:\\mountvol\\";

// Drive letter (upper case) to the volume name mounted there.
using MountTable = std::map<char, std::string>;

MountTable ReadTable() {
    MountTable table;
    std::ifstream file(kFolder + "table.txt");
    std::string mountPoint;
    std::string volume;
    while (file >> mountPoint >> volume) {
        table[static_cast<char>(std::toupper(static_cast<unsigned char>(mountPoint[0])))] = volume;
    }
    return table;
}

int WriteTable(const MountTable& table) {
    std::ofstream file(kFolder + "table.txt", std::ios::trunc);
    for (const auto& [letter, volume] : table) {
        file << letter << ":\\ " << volume << "\n";
    }
    return 0;
}

// Records the call; answers the number of listings so far, this one included.
int Record(const std::string& arguments) {
    std::ofstream(kFolder + "calls.txt", std::ios::app) << arguments << "\n";
    std::ifstream calls(kFolder + "calls.txt");
    int listings = 0;
    for (std::string line; std::getline(calls, line);) {
        listings += line.empty() ? 1 : 0;
    }
    return listings;
}

// Whether cues.txt asks this operation to fail at `where` (X:\ or the listing's number); a
// "slow" cue makes the call wait first.
bool Cued(const std::string& operation, const std::string& where) {
    std::ifstream cues(kFolder + "cues.txt");
    bool fails = false;
    for (std::string verb, cuedOperation, cuedWhere; cues >> verb >> cuedOperation;) {
        if (verb == "slow") {
            Sleep(static_cast<DWORD>(std::stoul(cuedOperation)));
        } else if (cues >> cuedWhere && cuedOperation == operation) {
            fails = fails || cuedWhere == "*" || cuedWhere == where;
        }
    }
    return fails;
}

int Fail(const char* message, int code = 1) {
    std::cout << message << "\n\n";
    return code;
}

int List(const MountTable& table, int listing) {
    if (Cued("list", std::to_string(listing))) {
        return Fail("Access is denied.");
    }
    std::cout << "Possible values for VolumeName along with current mount points are:\n\n";
    std::map<std::string, std::string> mountPoints; // volume name to its mount points
    for (const auto& [letter, volume] : table) {
        mountPoints[volume] += std::string("        ") + letter + ":\\\n";
    }
    for (const auto& [volume, lines] : mountPoints) {
        std::cout << "    " << volume << "\n" << lines << "\n";
    }
    return 0;
}

std::string MountPoint(char letter) {
    return std::string(1, letter) + ":\\";
}

int Remove(MountTable& table, char letter) {
    if (Cued("remove", MountPoint(letter)) || table.erase(letter) == 0) {
        return Fail("The system cannot find the file specified.");
    }
    return WriteTable(table);
}

int Assign(MountTable& table, char letter, const std::string& volume) {
    if (Cued("assign", MountPoint(letter))) {
        return Fail("Access is denied.");
    }
    if (table.count(letter) != 0) {
        return Fail("The directory is not empty.");
    }
    table[letter] = volume;
    return WriteTable(table);
}

} // namespace

int main(int argc, char** argv) {
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        arguments += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    const int listings = Record(arguments);
    MountTable table = ReadTable();
    if (argc == 1) {
        return List(table, listings);
    }
    const std::string point = argv[1];
    const std::string target = argc == 3 ? argv[2] : "";
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(point[0])));
    if (argc != 3 || !std::isalpha(letter) || point != MountPoint(point[0])) {
        return Fail("The parameter is incorrect.", 87);
    }
    if (target == "/D" || target == "/d") {
        return Remove(table, letter);
    }
    if (target.rfind("\\\\?\\Volume{", 0) == 0 && target.size() == 49) {
        return Assign(table, letter, target);
    }
    return Fail("The parameter is incorrect.", 87);
}
