#pragma once
// Reads the program's resource scripts (.rc) the way the resource compiler does, far
// enough to know the string tables, dialog templates and icons of each language. The
// machine's resource loader answers from them, so tests see the program's real texts
// and controls. Handles the preprocessor lines such scripts use (#include, #define,
// #if/#ifdef/#ifndef/#else/#endif), UTF-8 text and the control statements of DIALOGEX.

#include "platform/WinTypes.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace machine_system {

struct TemplateControl {
    int id = 0;
    std::u16string className; // "Button", "ComboBox", "Static", "Edit", ... or as written
    std::u16string text;      // empty when the script gives a resource number instead
    int textResourceId = -1;  // that number (an ICON control's icon), else -1
    DWORD style = 0;          // with the statement's default style bits
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct DialogTemplate {
    int id = 0;
    WORD language = 0;
    std::u16string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::u16string fontName;
    int fontPointSize = 0;
    std::vector<TemplateControl> controls;
};

class ResourceSet {
public:
    // The loader's choice: the resource in uiLanguage if the program has it, else in
    // English (United States), else in the first language it exists in. Null if absent.
    const DialogTemplate* Dialog(int id, WORD uiLanguage) const;
    // Strings live in blocks of 16 and the language is chosen per block, as Windows
    // does. Null when no language has the block or the chosen block lacks the string.
    const std::u16string* String(UINT id, WORD uiLanguage) const;
    bool HasStringBlock(UINT id) const; // some language has the block id belongs to
    bool HasIcon(int id) const;
    std::set<WORD> Languages() const; // languages with strings or dialogs

    std::map<int, std::map<WORD, DialogTemplate>> dialogs;  // id -> language -> template
    std::map<WORD, std::map<UINT, std::u16string>> strings; // language -> id -> text
    std::map<int, std::set<WORD>> icons;                    // icon group id -> languages
};

struct ScriptReading {
    ResourceSet resources;
    std::string error; // "file:line: what", empty when the script was read
};

// Reads a script file and what it includes (paths relative to the including file).
ScriptReading ReadResourceScript(const std::string& path);
// Reads script text; includes are looked up in folder.
ScriptReading ReadResourceText(const std::string& text, const std::string& folder,
                               const std::string& displayName);

// The program's resources, read once per process from its scripts in src/res. A script
// the reader cannot follow stops the tests with a message: running them on wrong
// templates would be worse.
const ResourceSet& ProgramResources();

} // namespace machine_system
