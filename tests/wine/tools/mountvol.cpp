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
// The forms it understands, as the real tool does (the tests compare every call, so it
// does not check their syntax; a call that fails prints "Access is denied."):
//   mountvol                         lists each volume name with its mount points below it
//   mountvol X:\ /D                  removes the mount point X:\ (and so the letter)
//   mountvol X:\ \\?\Volume{GUID}\   mounts that volume at X:\ (when X:\ is free)

#include <windows.h>

#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

const std::string kFolder = "C:\\mountvol\\";

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

// Records the call in calls.txt; answers the number of listings (empty lines) so far.
int Record(const std::string& arguments) {
    std::ofstream(kFolder + "calls.txt", std::ios::app) << arguments << "\n";
    std::ifstream calls(kFolder + "calls.txt");
    int listings = 0;
    for (std::string line; std::getline(calls, line);) {
        listings += line.empty() ? 1 : 0;
    }
    return listings;
}

using MountTable = std::map<std::string, std::string>; // mount point (X:\) to volume name

MountTable ReadTable() {
    MountTable table;
    std::ifstream file(kFolder + "table.txt");
    for (std::string point, volume; file >> point >> volume;) {
        table[point] = volume;
    }
    return table;
}

// Each volume name with its mount points below it.
void List(const MountTable& table) {
    std::map<std::string, std::string> mountPoints;
    for (const auto& [point, volume] : table) {
        mountPoints[volume] += "        " + point + "\n";
    }
    std::cout << "Possible values for VolumeName along with current mount points are:\n\n";
    for (const auto& [volume, points] : mountPoints) {
        std::cout << "    " << volume << "\n" << points << "\n";
    }
}

// Removes or assigns the mount point; fails on cue, or when the point is not there to be
// removed or already taken.
bool Change(MountTable& table, const std::string& point, const std::string& target) {
    const bool removal = target == "/D";
    return !Cued(removal ? "remove" : "assign", point) &&
           (removal ? table.erase(point) == 1 : table.emplace(point, target).second);
}

} // namespace

int main(int argc, char** argv) {
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        arguments += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    const int listings = Record(arguments);
    MountTable table = ReadTable();
    if (argc != 3 ? Cued("list", std::to_string(listings)) : !Change(table, argv[1], argv[2])) {
        std::cout << "Access is denied.\n\n";
        return 1;
    }
    if (argc != 3) {
        List(table);
        return 0;
    }
    std::ofstream file(kFolder + "table.txt", std::ios::trunc);
    for (const auto& [point, volume] : table) {
        file << point << " " << volume << "\n";
    }
    return 0;
}
