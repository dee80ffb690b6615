// A stand-in for Windows' mountvol.exe, which Wine lacks, for the tests of assign.bat.
// It answers from a scripted mount table and records every call. Its files live in
// C:\mountvol\ of the prefix:
//   table.txt     the mount table, one line per drive letter, such as
//                 "E:\ \\?\Volume{GUID}\" (rewritten by every change)
//   fail.txt      operations that fail, one a line: list|remove|assign X:\ (or * for any
//                 letter); a failing operation prints an error, changes nothing, exits with 1
//   calls.txt     appended by every call: its arguments, separated by one space
//   programs.txt  appended by every call: the path this copy was started from
// The forms it understands, as the real tool does:
//   mountvol X:\ /L                  prints the volume name mounted at X:\, then a blank line
//   mountvol X:\ /D                  removes the mount point X:\ (and so the letter)
//   mountvol X:\ \\?\Volume{GUID}\   mounts that volume at X:\ (when X:\ is free)

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kFolder = "C:\\mountvol\\";
const std::string kVolumePrefix = "\\\\?\\Volume{";
// The prefix, a 36-character GUID, then "}\".
const size_t kVolumeNameLength = 49;

// Drive letter (upper case) to the volume name mounted there.
using MountTable = std::map<char, std::string>;

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) {
        result += (c > 0 && c < 128) ? static_cast<char>(c) : '?';
    }
    return result;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// X:\ with X a letter; the real tool's mount points for drive letters end in a backslash.
bool IsDriveMountPoint(const std::string& text) {
    return text.size() == 3 && std::isalpha(static_cast<unsigned char>(text[0])) &&
           text[1] == ':' && text[2] == '\\';
}

bool IsGuid(const std::string& text) {
    if (text.size() != 36) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

bool IsVolumeName(const std::string& text) {
    return text.size() == kVolumeNameLength &&
           text.compare(0, kVolumePrefix.size(), kVolumePrefix) == 0 &&
           IsGuid(text.substr(kVolumePrefix.size(), 36)) &&
           text.compare(kVolumeNameLength - 2, 2, "}\\") == 0;
}

MountTable ReadTable() {
    MountTable table;
    std::ifstream file(kFolder + "table.txt");
    std::string mountPoint;
    std::string volume;
    while (file >> mountPoint >> volume) {
        if (IsDriveMountPoint(mountPoint)) {
            table[static_cast<char>(std::toupper(static_cast<unsigned char>(mountPoint[0])))] =
                volume;
        }
    }
    return table;
}

void WriteTable(const MountTable& table) {
    std::ofstream file(kFolder + "table.txt", std::ios::trunc);
    for (const auto& [letter, volume] : table) {
        file << letter << ":\\ " << volume << "\n";
    }
}

bool ScriptedToFail(const std::string& operation, char letter) {
    std::ifstream file(kFolder + "fail.txt");
    std::string line;
    const std::string mountPoint = std::string(1, letter) + ":\\";
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string failingOperation;
        std::string where;
        fields >> failingOperation >> where;
        if (failingOperation == operation && (where == "*" || Upper(where) == mountPoint)) {
            return true;
        }
    }
    return false;
}

void Append(const std::string& name, const std::string& line) {
    std::ofstream(kFolder + name, std::ios::app) << line << "\n";
}

void Record(const std::vector<std::string>& arguments) {
    std::string line;
    for (const auto& argument : arguments) {
        line += (line.empty() ? "" : " ") + argument;
    }
    Append("calls.txt", line);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    Append("programs.txt", Narrow(path));
}

int Fail(const char* message) {
    std::printf("%s\n\n", message);
    return 1;
}

int List(const MountTable& table, char letter) {
    auto found = table.find(letter);
    if (ScriptedToFail("list", letter) || found == table.end()) {
        return Fail("The system cannot find the file specified.");
    }
    std::printf("    %s\n\n", found->second.c_str());
    return 0;
}

int Remove(MountTable& table, char letter) {
    if (ScriptedToFail("remove", letter) || table.erase(letter) == 0) {
        return Fail("The system cannot find the file specified.");
    }
    WriteTable(table);
    return 0;
}

int Assign(MountTable& table, char letter, const std::string& volume) {
    if (ScriptedToFail("assign", letter)) {
        return Fail("Access is denied.");
    }
    if (table.count(letter) != 0) {
        return Fail("The directory is not empty.");
    }
    table[letter] = volume;
    WriteTable(table);
    return 0;
}

int Usage() {
    std::printf("The parameter is incorrect.\n\n");
    return 87;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(Narrow(argv[i]));
    }
    Record(arguments);
    if (arguments.size() != 2 || !IsDriveMountPoint(arguments[0])) {
        return Usage();
    }
    MountTable table = ReadTable();
    const char letter = Upper(arguments[0])[0];
    const std::string action = Upper(arguments[1]);
    if (action == "/L") {
        return List(table, letter);
    }
    if (action == "/D") {
        return Remove(table, letter);
    }
    if (IsVolumeName(arguments[1])) {
        return Assign(table, letter, arguments[1]);
    }
    return Usage();
}
