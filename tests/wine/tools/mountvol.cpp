// A stand-in for Windows' mountvol.exe, which Wine lacks, for the tests of assign.bat. It
// answers from a scripted mount table and records every call. Its files are in the
// prefix's C:\mountvol folder:
//   table.txt  the mount table, one "MOUNTPOINT \\?\Volume{GUID}\" line per mount point (a
//              drive's root X:\ or a folder, whose name may hold spaces), or the volume name
//              alone for a volume without one; the lines of a volume follow one another;
//              rewritten by every change
//   cues.txt   what to do on cue, one a line: "fail list N" (the Nth listing, or * for every
//              one), "fail remove X:\", "fail assign X:\" (or * for any letter): the call
//              prints an error, changes nothing and exits with 1; "slow MS": every call
//              first waits that many milliseconds; "help fr": the help text in French, in
//              code page 850; "indent tab": the listing indented with tabs
//   calls.txt  appended by every call: its arguments, separated by one space
// The forms it understands, as the real tool does (the tests compare every call, so it
// does not check their syntax; a call that fails prints "Access is denied."):
//   mountvol                         prints its help, then each volume name with its mount
//                                    points below it, or "*** NO MOUNT POINTS ***"
//   mountvol X:\ /D                  removes the mount point X:\ (and so the letter)
//   mountvol X:\ \\?\Volume{GUID}\   mounts that volume at X:\ (on its line without one)

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kFolder = "C:\\mountvol\\";

const char kEnglishHelp[] = "Creates, deletes or lists a volume mount point.\n\n"
                            "Possible values for VolumeName along with current mount points are:\n";
// In code page 850, the console's on French Windows, 0x82 is "é".
const char kFrenchHelp[] =
    "Cr\x82\x65, supprime ou r\x82pertorie un point de montage de volume.\n\n"
    "Valeurs possibles pour \"NomVolume\" avec les points de montage actuels :\n";

std::vector<std::string> Lines(const std::string& file) {
    std::ifstream in(kFolder + file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}
const std::vector<std::string> g_cues = Lines("cues.txt");

bool Cued(const std::string& cue) {
    return std::find(g_cues.begin(), g_cues.end(), cue) != g_cues.end();
}
// Whether cues.txt asks this operation to fail at `where` (X:\ or the listing's number).
bool Fails(const std::string& operation, const std::string& where) {
    return Cued("fail " + operation + " *") || Cued("fail " + operation + " " + where);
}

// Mount point ("" where a volume has none) and volume name, in the file's order.
using MountTable = std::vector<std::pair<std::string, std::string>>;

MountTable ReadTable() {
    MountTable table;
    for (const auto& line : Lines("table.txt")) {
        const auto space = line.rfind(' ');
        const bool hasPoint = space != std::string::npos;
        table.emplace_back(hasPoint ? line.substr(0, space) : "",
                           line.substr(hasPoint ? space + 1 : 0));
    }
    return table;
}

// The help text, then each volume name with its mount points below it.
void List(const MountTable& table) {
    const std::string indent = Cued("indent tab") ? "\t" : "    ";
    std::cout << (Cued("help fr") ? kFrenchHelp : kEnglishHelp);
    std::string above;
    for (const auto& [point, volume] : table) {
        if (volume != above) {
            std::cout << "\n" << indent << volume << "\n";
            above = volume;
        }
        std::cout << indent << indent << (point.empty() ? "*** NO MOUNT POINTS ***" : point)
                  << "\n";
    }
    std::cout << "\n";
}

// Removes a mount point (the volume keeps its line, without it), or mounts the volume on
// its line without one. The tests compare every call, so a call the scripted table does not
// allow simply fails.
bool Change(MountTable& table, const std::string& point, const std::string& target) {
    const bool remove = target == "/D";
    const auto line = std::find_if(table.begin(), table.end(), [&](const auto& entry) {
        return remove ? entry.first == point : entry == std::make_pair(std::string(), target);
    });
    if (Fails(remove ? "remove" : "assign", point) || line == table.end()) {
        return false;
    }
    line->first = remove ? "" : point;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        arguments += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    std::ofstream(kFolder + "calls.txt", std::ios::app) << arguments << "\n";
    // The listings so far, this one included, are the empty lines among the calls.
    const auto calls = Lines("calls.txt");
    const auto listings = std::count(calls.begin(), calls.end(), "");
    for (const auto& cue : g_cues) {
        if (cue.rfind("slow ", 0) == 0) {
            Sleep(static_cast<DWORD>(std::stoul(cue.substr(5))));
        }
    }
    MountTable table = ReadTable();
    if (argc != 3 ? Fails("list", std::to_string(listings)) : !Change(table, argv[1], argv[2])) {
        std::cout << "Access is denied.\n\n";
        return 1;
    }
    if (argc != 3) {
        List(table);
        return 0;
    }
    std::ofstream file(kFolder + "table.txt", std::ios::trunc);
    for (const auto& [point, volume] : table) {
        file << point << (point.empty() ? "" : " ") << volume << "\n";
    }
    return 0;
}
