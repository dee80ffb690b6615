#include "machine/ResourceScripts.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef QUENLATH_RES_DIR
#error "QUENLATH_RES_DIR must name the folder of the program's resource scripts"
#endif

namespace machine_system {
namespace {

constexpr WORD kLanguageEnglishUs = 0x0409;
constexpr long long kChildVisible = 0x40000000 | 0x10000000; // WS_CHILD | WS_VISIBLE
constexpr long long kDialogDefaultStyle = 0x80000000LL | 0x00800000 | 0x00080000;
constexpr long long kStyleCaption = 0x00C00000;
constexpr long long kDialogSetFont = 0x40;
constexpr int kMaxIncludeDepth = 16;

// The values windows.h (and winres.h) give the names resource scripts use.
const std::map<std::string, long long>& BuiltInSymbols() {
    // clang-format off
    static const std::map<std::string, long long> symbols = {
        // Window styles.
        {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000LL}, {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000}, {"WS_MAXIMIZEBOX", 0x00010000},
        // Extended window styles.
        {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_NOPARENTNOTIFY", 0x4}, {"WS_EX_TOPMOST", 0x8},
        {"WS_EX_ACCEPTFILES", 0x10}, {"WS_EX_TRANSPARENT", 0x20}, {"WS_EX_TOOLWINDOW", 0x80},
        {"WS_EX_WINDOWEDGE", 0x100}, {"WS_EX_CLIENTEDGE", 0x200}, {"WS_EX_CONTEXTHELP", 0x400},
        {"WS_EX_RIGHT", 0x1000}, {"WS_EX_LEFT", 0}, {"WS_EX_RTLREADING", 0x2000},
        {"WS_EX_LTRREADING", 0}, {"WS_EX_LEFTSCROLLBAR", 0x4000}, {"WS_EX_CONTROLPARENT", 0x10000},
        {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_APPWINDOW", 0x40000}, {"WS_EX_LAYOUTRTL", 0x400000},
        // Dialog styles.
        {"DS_ABSALIGN", 0x1}, {"DS_SYSMODAL", 0x2}, {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8},
        {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80}, {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200},
        {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800}, {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
        // Buttons.
        {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_CHECKBOX", 2}, {"BS_AUTOCHECKBOX", 3},
        {"BS_RADIOBUTTON", 4}, {"BS_3STATE", 5}, {"BS_AUTO3STATE", 6}, {"BS_GROUPBOX", 7},
        {"BS_USERBUTTON", 8}, {"BS_AUTORADIOBUTTON", 9}, {"BS_PUSHBOX", 0xA},
        {"BS_OWNERDRAW", 0xB}, {"BS_LEFTTEXT", 0x20}, {"BS_TEXT", 0}, {"BS_ICON", 0x40},
        {"BS_BITMAP", 0x80}, {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400}, {"BS_BOTTOM", 0x800}, {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000},
        {"BS_MULTILINE", 0x2000}, {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
        // Static controls.
        {"SS_LEFT", 0}, {"SS_CENTER", 1}, {"SS_RIGHT", 2}, {"SS_ICON", 3}, {"SS_BLACKRECT", 4},
        {"SS_GRAYRECT", 5}, {"SS_WHITERECT", 6}, {"SS_BLACKFRAME", 7}, {"SS_GRAYFRAME", 8},
        {"SS_WHITEFRAME", 9}, {"SS_SIMPLE", 0xB}, {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_BITMAP", 0xE},
        {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11}, {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200},
        {"SS_RIGHTJUST", 0x400}, {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000},
        {"SS_ENDELLIPSIS", 0x4000}, {"SS_PATHELLIPSIS", 0x8000}, {"SS_WORDELLIPSIS", 0xC000},
        // Combo boxes, edit controls, list boxes, scroll bars.
        {"CBS_SIMPLE", 1}, {"CBS_DROPDOWN", 2}, {"CBS_DROPDOWNLIST", 3},
        {"CBS_OWNERDRAWFIXED", 0x10}, {"CBS_OWNERDRAWVARIABLE", 0x20}, {"CBS_AUTOHSCROLL", 0x40},
        {"CBS_OEMCONVERT", 0x80}, {"CBS_SORT", 0x100}, {"CBS_HASSTRINGS", 0x200},
        {"CBS_NOINTEGRALHEIGHT", 0x400}, {"CBS_DISABLENOSCROLL", 0x800}, {"CBS_UPPERCASE", 0x2000},
        {"CBS_LOWERCASE", 0x4000}, {"ES_LEFT", 0}, {"ES_CENTER", 1}, {"ES_RIGHT", 2},
        {"ES_MULTILINE", 4}, {"ES_UPPERCASE", 8}, {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80}, {"ES_NOHIDESEL", 0x100},
        {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000}, {"ES_NUMBER", 0x2000},
        {"LBS_NOTIFY", 1}, {"LBS_SORT", 2}, {"LBS_NOINTEGRALHEIGHT", 0x100}, {"SBS_HORZ", 0},
        {"SBS_VERT", 1},
        // Identifiers.
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5},
        {"IDYES", 6}, {"IDNO", 7}, {"IDCLOSE", 8}, {"IDHELP", 9}, {"IDC_STATIC", -1},
        {"VS_VERSION_INFO", 1}, {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 1}, {"RT_MANIFEST", 24},
        // Languages.
        {"LANG_NEUTRAL", 0x00}, {"LANG_CHINESE", 0x04}, {"LANG_GERMAN", 0x07},
        {"LANG_ENGLISH", 0x09}, {"LANG_FRENCH", 0x0C}, {"LANG_JAPANESE", 0x11},
        {"SUBLANG_NEUTRAL", 0x00}, {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02},
        {"SUBLANG_ENGLISH_US", 0x01}, {"SUBLANG_ENGLISH_UK", 0x02}, {"SUBLANG_FRENCH", 0x01},
        {"SUBLANG_GERMAN", 0x01}, {"SUBLANG_JAPANESE_JAPAN", 0x01},
        {"SUBLANG_CHINESE_TRADITIONAL", 0x01}, {"SUBLANG_CHINESE_SIMPLIFIED", 0x02},
    };
    // clang-format on
    return symbols;
}

// ---- Tokens ----------------------------------------------------------------------------

struct Token {
    enum class Kind { Identifier, Number, String, Punct };
    Kind kind = Kind::Punct;
    std::string word; // identifier or punctuation
    long long number = 0;
    std::u16string text;
    std::string where; // file:line
};

bool IsIdentifierStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsIdentifierChar(char c) {
    return IsIdentifierStart(c) || IsDigit(c);
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool SameWordNoCase(const std::string& left, const char* right) {
    size_t i = 0;
    for (; i < left.size() && right[i] != '\0'; ++i) {
        char a = left[i] >= 'a' && left[i] <= 'z' ? static_cast<char>(left[i] - 32) : left[i];
        char b = right[i] >= 'a' && right[i] <= 'z' ? static_cast<char>(right[i] - 32) : right[i];
        if (a != b) {
            return false;
        }
    }
    return i == left.size() && right[i] == '\0';
}

void AppendCodePoint(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

// Decodes the UTF-8 sequence at text[at], advancing at; a malformed one reads as U+FFFD.
char32_t DecodeUtf8(const std::string& text, size_t& at) {
    auto byte = static_cast<unsigned char>(text[at++]);
    if (byte < 0x80) {
        return byte;
    }
    int extra = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : -1;
    if (extra < 0) {
        return 0xFFFD;
    }
    char32_t codePoint = byte & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    return codePoint > 0x10FFFF ? 0xFFFD : codePoint;
}

int HexDigit(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Removes // and /* */ comments outside string literals, keeping line breaks so that
// line numbers stay right.
std::string WithoutComments(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (inString) {
            out.push_back(c);
            if (c == '\\' && next != '\n' && next != '\0') {
                out.push_back(next);
                ++i;
            } else if (c == '"' || c == '\n') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
            out.push_back(c);
        } else if (c == '/' && next == '/') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
            out.push_back('\n');
        } else if (c == '/' && next == '*') {
            for (i += 2;
                 i < text.size() && !(text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/');
                 ++i) {
                if (text[i] == '\n') {
                    out.push_back('\n');
                }
            }
            ++i;
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Splits one line into tokens. Returns false with error set on a malformed literal.
class LineLexer {
public:
    LineLexer(const std::string& line, std::string where)
        : m_line(line), m_where(std::move(where)) {}

    bool Run(std::vector<Token>& out, std::string& error) {
        while (m_at < m_line.size()) {
            char c = m_line[m_at];
            if (IsSpace(c)) {
                ++m_at;
            } else if (c == '"' ||
                       (c == 'L' && m_at + 1 < m_line.size() && m_line[m_at + 1] == '"')) {
                if (!StringLiteral(out)) {
                    error = m_where + ": unterminated string";
                    return false;
                }
            } else if (IsDigit(c)) {
                NumberLiteral(out);
            } else if (IsIdentifierStart(c)) {
                Identifier(out);
            } else {
                Punctuation(out);
            }
        }
        return true;
    }

private:
    Token Make(Token::Kind kind) const {
        Token token;
        token.kind = kind;
        token.where = m_where;
        return token;
    }

    bool StringLiteral(std::vector<Token>& out) {
        if (m_line[m_at] == 'L') {
            ++m_at;
        }
        ++m_at; // the opening quote
        Token token = Make(Token::Kind::String);
        while (m_at < m_line.size()) {
            char c = m_line[m_at];
            if (c == '"') {
                if (m_at + 1 < m_line.size() && m_line[m_at + 1] == '"') {
                    token.text.push_back(u'"'); // "" is a quotation mark
                    m_at += 2;
                    continue;
                }
                ++m_at;
                out.push_back(std::move(token));
                return true;
            }
            if (c == '\\' && m_at + 1 < m_line.size()) {
                Escape(token.text);
                continue;
            }
            AppendCodePoint(token.text, DecodeUtf8(m_line, m_at));
        }
        return false;
    }

    void Escape(std::u16string& text) {
        char c = m_line[m_at + 1];
        m_at += 2;
        switch (c) {
        case 'n':
            text.push_back(u'\n');
            return;
        case 'r':
            text.push_back(u'\r');
            return;
        case 't':
            text.push_back(u'\t');
            return;
        case 'a':
            text.push_back(u'\b');
            return; // rc's right-alignment mark
        case '\\':
            text.push_back(u'\\');
            return;
        case '"':
            text.push_back(u'"');
            return;
        case 'x':
        case 'X': {
            char16_t value = 0;
            for (int digits = 0; digits < 4 && m_at < m_line.size() && HexDigit(m_line[m_at]) >= 0;
                 ++digits) {
                value = static_cast<char16_t>(value * 16 + HexDigit(m_line[m_at++]));
            }
            text.push_back(value);
            return;
        }
        default:
            if (c >= '0' && c <= '7') {
                char16_t value = static_cast<char16_t>(c - '0');
                for (int digits = 1; digits < 3 && m_at < m_line.size() && m_line[m_at] >= '0' &&
                                     m_line[m_at] <= '7';
                     ++digits) {
                    value = static_cast<char16_t>(value * 8 + (m_line[m_at++] - '0'));
                }
                text.push_back(value);
                return;
            }
            text.push_back(u'\\'); // an unknown escape keeps its backslash, as rc does
            text.push_back(static_cast<char16_t>(c));
        }
    }

    void NumberLiteral(std::vector<Token>& out) {
        Token token = Make(Token::Kind::Number);
        if (m_line[m_at] == '0' && m_at + 1 < m_line.size() &&
            (m_line[m_at + 1] == 'x' || m_line[m_at + 1] == 'X')) {
            m_at += 2;
            while (m_at < m_line.size() && HexDigit(m_line[m_at]) >= 0) {
                token.number = token.number * 16 + HexDigit(m_line[m_at++]);
            }
        } else {
            while (m_at < m_line.size() && IsDigit(m_line[m_at])) {
                token.number = token.number * 10 + (m_line[m_at++] - '0');
            }
        }
        while (m_at < m_line.size() && (m_line[m_at] == 'L' || m_line[m_at] == 'l' ||
                                        m_line[m_at] == 'U' || m_line[m_at] == 'u')) {
            ++m_at;
        }
        out.push_back(std::move(token));
    }

    void Identifier(std::vector<Token>& out) {
        Token token = Make(Token::Kind::Identifier);
        while (m_at < m_line.size() && IsIdentifierChar(m_line[m_at])) {
            token.word.push_back(m_line[m_at++]);
        }
        out.push_back(std::move(token));
    }

    void Punctuation(std::vector<Token>& out) {
        static const char* const kPairs[] = {"||", "&&", "==", "!=", "<=", ">="};
        Token token = Make(Token::Kind::Punct);
        for (const char* pair : kPairs) {
            if (m_line.compare(m_at, 2, pair) == 0) {
                token.word = pair;
                m_at += 2;
                out.push_back(std::move(token));
                return;
            }
        }
        token.word = std::string(1, m_line[m_at++]);
        out.push_back(std::move(token));
    }

    const std::string& m_line;
    std::string m_where;
    size_t m_at = 0;
};

// ---- Expressions -------------------------------------------------------------------------

// Evaluates C-style integer expressions over a token range. Identifiers are resolved by
// the caller's lookup; an unknown one stops the evaluation.
class Expression {
public:
    using Lookup = bool (*)(const Token& identifier, long long& value, void* context);

    Expression(const std::vector<Token>& tokens, size_t& at, Lookup lookup, void* context)
        : m_tokens(tokens), m_at(at), m_lookup(lookup), m_context(context) {}

    bool Full(long long& value) { return LogicalOr(value); }
    // One operand of a '|'-joined list: everything that binds tighter than '|'.
    bool BitAndLevel(long long& value) { return BitAnd(value); }

    std::string error;

private:
    bool At(const char* punct) const {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == Token::Kind::Punct &&
               m_tokens[m_at].word == punct;
    }
    bool Accept(const char* punct) {
        if (!At(punct)) {
            return false;
        }
        ++m_at;
        return true;
    }

    template <typename Next, typename Combine>
    bool Binary(long long& value, const char* op, Next next, Combine combine) {
        if (!(this->*next)(value)) {
            return false;
        }
        while (Accept(op)) {
            long long right = 0;
            if (!(this->*next)(right)) {
                return false;
            }
            value = combine(value, right);
        }
        return true;
    }

    bool LogicalOr(long long& value) {
        return Binary(value, "||", &Expression::LogicalAnd,
                      [](long long a, long long b) { return static_cast<long long>(a || b); });
    }
    bool LogicalAnd(long long& value) {
        return Binary(value, "&&", &Expression::BitOr,
                      [](long long a, long long b) { return static_cast<long long>(a && b); });
    }
    bool BitOr(long long& value) {
        return Binary(value, "|", &Expression::BitAnd,
                      [](long long a, long long b) { return a | b; });
    }
    bool BitAnd(long long& value) {
        return Binary(value, "&", &Expression::Equality,
                      [](long long a, long long b) { return a & b; });
    }
    bool Equality(long long& value) {
        if (!Additive(value)) {
            return false;
        }
        while (At("==") || At("!=")) {
            bool equal = Accept("==");
            if (!equal) {
                Accept("!=");
            }
            long long right = 0;
            if (!Additive(right)) {
                return false;
            }
            value = (value == right) == equal ? 1 : 0;
        }
        return true;
    }
    bool Additive(long long& value) {
        if (!Unary(value)) {
            return false;
        }
        while (At("+") || At("-")) {
            bool plus = Accept("+");
            if (!plus) {
                Accept("-");
            }
            long long right = 0;
            if (!Unary(right)) {
                return false;
            }
            value = plus ? value + right : value - right;
        }
        return true;
    }
    bool Unary(long long& value) {
        if (Accept("-")) {
            bool ok = Unary(value);
            value = -value;
            return ok;
        }
        if (Accept("~")) {
            bool ok = Unary(value);
            value = ~value;
            return ok;
        }
        if (Accept("!")) {
            bool ok = Unary(value);
            value = value == 0 ? 1 : 0;
            return ok;
        }
        return Primary(value);
    }
    bool Primary(long long& value) {
        if (Accept("(")) {
            if (!LogicalOr(value)) {
                return false;
            }
            return Accept(")") || Fail("')' expected");
        }
        if (m_at >= m_tokens.size()) {
            return Fail("number expected");
        }
        const Token& token = m_tokens[m_at];
        if (token.kind == Token::Kind::Number) {
            value = token.number;
            ++m_at;
            return true;
        }
        if (token.kind == Token::Kind::Identifier) {
            if (!m_lookup(token, value, m_context)) {
                return Fail("unknown symbol " + token.word);
            }
            ++m_at;
            return true;
        }
        return Fail("number expected, found '" + token.word + "'");
    }
    bool Fail(const std::string& what) {
        std::string where = m_at < m_tokens.size() ? m_tokens[m_at].where
                            : m_tokens.empty()     ? std::string("?")
                                                   : m_tokens.back().where;
        error = where + ": " + what;
        return false;
    }

    const std::vector<Token>& m_tokens;
    size_t& m_at;
    Lookup m_lookup;
    void* m_context;
};

bool LookUpBuiltIn(const Token& identifier, long long& value, void* /*context*/) {
    auto found = BuiltInSymbols().find(identifier.word);
    if (found == BuiltInSymbols().end()) {
        return false;
    }
    value = found->second;
    return true;
}

// In #if, identifiers that are no macro count as 0, as in C.
bool LookUpOrZero(const Token& identifier, long long& value, void* context) {
    if (!LookUpBuiltIn(identifier, value, context)) {
        value = 0;
    }
    return true;
}

// ---- Preprocessor ------------------------------------------------------------------------

struct Condition {
    bool enclosingActive = true;
    bool active = true;
    bool taken = false; // a branch of this #if chain was active
};

class Preprocessor {
public:
    bool File(const std::string& path, bool headerOnly, const std::string& includedFrom) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            error = includedFrom + "cannot read " + path;
            return false;
        }
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        size_t slash = path.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        return Text(text, folder, name, headerOnly);
    }

    bool Text(std::string text, const std::string& folder, const std::string& name,
              bool headerOnly) {
        if (++m_depth > kMaxIncludeDepth) {
            error = name + ": includes nested too deeply";
            return false;
        }
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            text.erase(0, 3);
        }
        std::istringstream lines(WithoutComments(text));
        std::vector<Condition> conditions;
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            std::string where = name + ":" + std::to_string(number);
            if (!Line(line, folder, where, headerOnly, conditions)) {
                return false;
            }
        }
        if (!conditions.empty()) {
            error = name + ": #if without #endif";
            return false;
        }
        --m_depth;
        return true;
    }

    std::vector<Token> tokens;
    std::string error;

private:
    static bool Active(const std::vector<Condition>& conditions) {
        return conditions.empty() || conditions.back().active;
    }

    bool Line(const std::string& line, const std::string& folder, const std::string& where,
              bool headerOnly, std::vector<Condition>& conditions) {
        size_t start = line.find_first_not_of(" \t\r");
        if (start != std::string::npos && line[start] == '#') {
            return Directive(line.substr(start + 1), folder, where, conditions);
        }
        if (!Active(conditions) || headerOnly) {
            return true; // rc reads only the preprocessor lines of a header
        }
        std::vector<Token> raw;
        if (!LineLexer(line, where).Run(raw, error)) {
            return false;
        }
        Expand(raw, tokens, 0);
        return true;
    }

    bool Directive(const std::string& rest, const std::string& folder, const std::string& where,
                   std::vector<Condition>& conditions) {
        std::vector<Token> words;
        if (!LineLexer(rest, where).Run(words, error)) {
            return false;
        }
        if (words.empty() || words[0].kind != Token::Kind::Identifier) {
            return true; // a null directive
        }
        const std::string& name = words[0].word;
        if (name == "if" || name == "ifdef" || name == "ifndef") {
            return Open(name, words, conditions);
        }
        if (name == "elif" || name == "else") {
            return Alternative(name, words, where, conditions);
        }
        if (name == "endif") {
            if (conditions.empty()) {
                error = where + ": #endif without #if";
                return false;
            }
            conditions.pop_back();
            return true;
        }
        if (!Active(conditions)) {
            return true;
        }
        if (name == "define") {
            return Define(rest, words, where);
        }
        if (name == "undef" && words.size() > 1) {
            m_macros.erase(words[1].word);
            return true;
        }
        if (name == "include") {
            return Include(rest, folder, where);
        }
        if (name == "error") {
            error = where + ": #error";
            return false;
        }
        return true; // #pragma, #line: nothing the machine needs
    }

    bool Open(const std::string& name, const std::vector<Token>& words,
              std::vector<Condition>& conditions) {
        Condition condition;
        condition.enclosingActive = Active(conditions);
        bool value = false;
        if (name == "if") {
            if (!Evaluate(words, value)) {
                return false;
            }
        } else {
            bool defined = words.size() > 1 && IsDefined(words[1].word);
            value = name == "ifdef" ? defined : !defined;
        }
        condition.active = condition.enclosingActive && value;
        condition.taken = value;
        conditions.push_back(condition);
        return true;
    }

    bool Alternative(const std::string& name, const std::vector<Token>& words,
                     const std::string& where, std::vector<Condition>& conditions) {
        if (conditions.empty()) {
            error = where + ": #" + name + " without #if";
            return false;
        }
        Condition& condition = conditions.back();
        bool value = true;
        if (name == "elif" && !condition.taken && !Evaluate(words, value)) {
            return false;
        }
        condition.active = condition.enclosingActive && !condition.taken && value;
        condition.taken = condition.taken || value;
        return true;
    }

    bool IsDefined(const std::string& name) const {
        return m_macros.count(name) != 0 || BuiltInSymbols().count(name) != 0;
    }

    // Evaluates the expression of #if or #elif: defined(X) first, then macros.
    bool Evaluate(const std::vector<Token>& words, bool& value) {
        std::vector<Token> resolved;
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i].kind == Token::Kind::Identifier && words[i].word == "defined") {
                bool parenthesised = i + 1 < words.size() && words[i + 1].word == "(";
                size_t nameAt = parenthesised ? i + 2 : i + 1;
                Token number = words[i];
                number.kind = Token::Kind::Number;
                number.number = nameAt < words.size() && IsDefined(words[nameAt].word) ? 1 : 0;
                resolved.push_back(number);
                i = parenthesised ? nameAt + 1 : nameAt;
                continue;
            }
            resolved.push_back(words[i]);
        }
        std::vector<Token> expanded;
        Expand(resolved, expanded, 0);
        size_t at = 0;
        long long result = 0;
        Expression expression(expanded, at, &LookUpOrZero, nullptr);
        if (!expression.Full(result)) {
            error = expression.error;
            return false;
        }
        value = result != 0;
        return true;
    }

    bool Define(const std::string& rest, const std::vector<Token>& words,
                const std::string& where) {
        if (words.size() < 2 || words[1].kind != Token::Kind::Identifier) {
            error = where + ": malformed #define";
            return false;
        }
        // A function-like macro: nothing in the scripts needs one, so it stays unknown.
        size_t nameEnd = rest.find(words[1].word, rest.find("define") + 6) + words[1].word.size();
        if (nameEnd < rest.size() && rest[nameEnd] == '(') {
            return true;
        }
        m_macros[words[1].word] = std::vector<Token>(words.begin() + 2, words.end());
        return true;
    }

    bool Include(const std::string& rest, const std::string& folder, const std::string& where) {
        size_t open = rest.find_first_of("\"<");
        if (open == std::string::npos) {
            error = where + ": malformed #include";
            return false;
        }
        if (rest[open] == '<') {
            return true; // a system header: its names are built in
        }
        size_t close = rest.find('"', open + 1);
        if (close == std::string::npos) {
            error = where + ": malformed #include";
            return false;
        }
        std::string name = rest.substr(open + 1, close - open - 1);
        for (char& c : name) {
            c = c == '\\' ? '/' : c;
        }
        bool header = name.size() > 2 && (name.compare(name.size() - 2, 2, ".h") == 0 ||
                                          name.compare(name.size() - 2, 2, ".H") == 0);
        return File(folder + "/" + name, header, where + ": ");
    }

    void Expand(const std::vector<Token>& in, std::vector<Token>& out, int depth) {
        for (const Token& token : in) {
            auto macro =
                token.kind == Token::Kind::Identifier ? m_macros.find(token.word) : m_macros.end();
            if (macro == m_macros.end() || depth > kMaxIncludeDepth) {
                out.push_back(token);
                continue;
            }
            std::vector<Token> body = macro->second;
            for (Token& part : body) {
                part.where = token.where;
            }
            Expand(body, out, depth + 1);
        }
    }

    std::map<std::string, std::vector<Token>> m_macros;
    int m_depth = 0;
};

// ---- Statements --------------------------------------------------------------------------

struct ControlForm {
    const char* keyword;
    const char16_t* className;
    long long defaultStyle;
    bool hasText;
};

const ControlForm kControlForms[] = {
    {"LTEXT", u"Static", 0x0 | 0x00020000, true},
    {"RTEXT", u"Static", 0x2 | 0x00020000, true},
    {"CTEXT", u"Static", 0x1 | 0x00020000, true},
    {"PUSHBUTTON", u"Button", 0x0 | 0x00010000, true},
    {"DEFPUSHBUTTON", u"Button", 0x1 | 0x00010000, true},
    {"PUSHBOX", u"Button", 0xA | 0x00010000, true},
    {"CHECKBOX", u"Button", 0x2 | 0x00010000, true},
    {"AUTOCHECKBOX", u"Button", 0x3 | 0x00010000, true},
    {"STATE3", u"Button", 0x5 | 0x00010000, true},
    {"AUTO3STATE", u"Button", 0x6 | 0x00010000, true},
    {"RADIOBUTTON", u"Button", 0x4 | 0x00010000, true},
    {"AUTORADIOBUTTON", u"Button", 0x9 | 0x00010000, true},
    {"GROUPBOX", u"Button", 0x7, true},
    {"COMBOBOX", u"ComboBox", 0x1 | 0x00010000, false},
    {"EDITTEXT", u"Edit", 0x0 | 0x00800000 | 0x00010000, false},
    {"LISTBOX", u"ListBox", 0x1 | 0x00800000, false},
    {"SCROLLBAR", u"ScrollBar", 0x0, false},
};

// The class names CONTROL statements may give, in the case Windows registers them.
char16_t UpperAscii16(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

std::u16string CanonicalClass(const std::u16string& given) {
    static const char16_t* const kClasses[] = {u"Button",  u"ComboBox",  u"Edit",
                                               u"ListBox", u"ScrollBar", u"Static"};
    for (const char16_t* known : kClasses) {
        std::u16string name(known);
        if (name.size() == given.size()) {
            bool same = true;
            for (size_t i = 0; i < name.size() && same; ++i) {
                same = UpperAscii16(given[i]) == UpperAscii16(name[i]);
            }
            if (same) {
                return name;
            }
        }
    }
    return given;
}

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class ScriptParser {
public:
    ScriptParser(const std::vector<Token>& tokens, ResourceSet& out)
        : m_tokens(tokens), m_out(out) {}

    bool Parse() {
        while (m_at < m_tokens.size()) {
            bool ok = AtWord("LANGUAGE")      ? TopLanguage()
                      : AtWord("STRINGTABLE") ? StringTable()
                                              : Resource();
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    std::string error;

private:
    // ---- Token access ----
    bool AtWord(const char* keyword) const {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == Token::Kind::Identifier &&
               SameWordNoCase(m_tokens[m_at].word, keyword);
    }
    bool AtPunct(const char* punct) const {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == Token::Kind::Punct &&
               m_tokens[m_at].word == punct;
    }
    bool AtKind(Token::Kind kind) const {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == kind;
    }
    bool AtBegin() const { return AtWord("BEGIN") || AtPunct("{"); }
    bool AtEnd() const { return AtWord("END") || AtPunct("}"); }
    bool AcceptPunct(const char* punct) {
        if (!AtPunct(punct)) {
            return false;
        }
        ++m_at;
        return true;
    }
    bool Expect(const char* punct) {
        return AcceptPunct(punct) || Fail(std::string("'") + punct + "' expected");
    }
    bool Fail(const std::string& what) {
        std::string where = m_at < m_tokens.size() ? m_tokens[m_at].where
                            : m_tokens.empty()     ? std::string("?")
                                                   : m_tokens.back().where + " (at the end)";
        error = where + ": " + what;
        return false;
    }
    void SkipMemoryFlags() {
        static const char* const kFlags[] = {"PRELOAD",  "LOADONCALL",  "FIXED",
                                             "MOVEABLE", "DISCARDABLE", "PURE",
                                             "IMPURE",   "SHARED",      "NONSHARED"};
        for (bool skipped = true; skipped;) {
            skipped = false;
            for (const char* flag : kFlags) {
                if (AtWord(flag)) {
                    ++m_at;
                    skipped = true;
                }
            }
        }
    }

    // ---- Values ----
    bool Number(long long& value) {
        Expression expression(m_tokens, m_at, &LookUpBuiltIn, nullptr);
        if (!expression.Full(value)) {
            error = expression.error;
            return false;
        }
        return true;
    }
    bool Int(int& value) {
        long long number = 0;
        if (!Number(number)) {
            return false;
        }
        value = static_cast<int>(number);
        return true;
    }
    // A style list: operands joined by '|', each possibly "NOT x", which clears x from
    // the bits so far (the default style included).
    bool Style(DWORD& style) {
        do {
            bool clear = AtWord("NOT");
            if (clear) {
                ++m_at;
            }
            long long value = 0;
            Expression expression(m_tokens, m_at, &LookUpBuiltIn, nullptr);
            if (!expression.BitAndLevel(value)) {
                error = expression.error;
                return false;
            }
            auto bits = static_cast<DWORD>(value);
            style = clear ? style & ~bits : style | bits;
        } while (AcceptPunct("|"));
        return true;
    }
    bool String(std::u16string& text) {
        if (!AtKind(Token::Kind::String)) {
            return Fail("string expected");
        }
        text.clear();
        while (AtKind(Token::Kind::String)) {
            text += m_tokens[m_at++].text;
        }
        return true;
    }
    bool Language(WORD& language) {
        ++m_at; // LANGUAGE
        long long primary = 0;
        long long sub = 0;
        if (!Number(primary) || !Expect(",") || !Number(sub)) {
            return false;
        }
        language = static_cast<WORD>((sub << 10) | primary);
        return true;
    }

    // ---- Statements ----
    bool TopLanguage() { return Language(m_language); }

    bool StringTable() {
        ++m_at; // STRINGTABLE
        SkipMemoryFlags();
        WORD language = m_language;
        if (!ResourceOptions(language)) {
            return false;
        }
        if (!AtBegin()) {
            return Fail("BEGIN expected");
        }
        ++m_at;
        while (!AtEnd()) {
            if (m_at >= m_tokens.size()) {
                return Fail("END expected");
            }
            long long id = 0;
            std::u16string text;
            if (!Number(id)) {
                return false;
            }
            AcceptPunct(",");
            if (!String(text)) {
                return false;
            }
            auto& table = m_out.strings[language];
            if (!table.emplace(static_cast<UINT>(id), text).second) {
                return Fail("string " + std::to_string(id) + " defined twice");
            }
        }
        ++m_at;
        return true;
    }

    // LANGUAGE, CHARACTERISTICS and VERSION before a resource's BEGIN.
    bool ResourceOptions(WORD& language) {
        while (!AtBegin()) {
            long long ignored = 0;
            if (AtWord("LANGUAGE")) {
                if (!Language(language)) {
                    return false;
                }
            } else if (AtWord("CHARACTERISTICS") || AtWord("VERSION")) {
                ++m_at;
                if (!Number(ignored)) {
                    return false;
                }
            } else {
                return true;
            }
        }
        return true;
    }

    bool Resource() {
        long long id = -1;
        if (AtKind(Token::Kind::Number)) {
            id = m_tokens[m_at++].number;
        } else if (AtKind(Token::Kind::Identifier) || AtKind(Token::Kind::String)) {
            // A symbol windows.h defines is a number; any other word names the resource.
            long long value = 0;
            if (AtKind(Token::Kind::Identifier) && LookUpBuiltIn(m_tokens[m_at], value, nullptr)) {
                id = value;
            }
            ++m_at;
        } else {
            return Fail("resource name expected");
        }
        if (AtWord("DIALOGEX") || AtWord("DIALOG")) {
            ++m_at;
            return Dialog(static_cast<int>(id));
        }
        if (AtWord("ICON")) {
            ++m_at;
            SkipMemoryFlags();
            std::u16string file;
            if (!String(file)) {
                return false;
            }
            if (id >= 0) {
                m_out.icons[static_cast<int>(id)].insert(m_language);
            }
            return true;
        }
        return SkipResource();
    }

    // Any other resource: a file reference, or header statements and a BEGIN ... END body.
    bool SkipResource() {
        ++m_at; // the type
        SkipMemoryFlags();
        if (AtKind(Token::Kind::String)) {
            ++m_at;
            return true;
        }
        while (!AtBegin()) {
            if (m_at >= m_tokens.size()) {
                return Fail("BEGIN expected");
            }
            ++m_at;
        }
        return SkipBlock();
    }

    bool SkipBlock() {
        int depth = 0;
        do {
            if (m_at >= m_tokens.size()) {
                return Fail("END expected");
            }
            if (AtBegin()) {
                ++depth;
            } else if (AtEnd()) {
                --depth;
            }
            ++m_at;
        } while (depth > 0);
        return true;
    }

    bool Dialog(int id) {
        DialogTemplate dialog;
        dialog.id = id;
        dialog.language = m_language;
        SkipMemoryFlags();
        if (!Int(dialog.x) || !Expect(",") || !Int(dialog.y) || !Expect(",") ||
            !Int(dialog.width) || !Expect(",") || !Int(dialog.height)) {
            return false;
        }
        long long helpId = 0;
        if (AcceptPunct(",") && !Number(helpId)) {
            return false;
        }
        if (!DialogOptions(dialog) || !Controls(dialog)) {
            return false;
        }
        if (id < 0) {
            return true; // named by a string: the program loads dialogs by number only
        }
        if (!m_out.dialogs[id].emplace(dialog.language, std::move(dialog)).second) {
            return Fail("dialog " + std::to_string(id) + " defined twice");
        }
        return true;
    }

    bool DialogOptions(DialogTemplate& dialog) {
        bool styleGiven = false;
        bool captionGiven = false;
        bool fontGiven = false;
        while (!AtBegin()) {
            bool ok = true;
            if (AtWord("STYLE")) {
                ++m_at;
                styleGiven = true;
                ok = Style(dialog.style);
            } else if (AtWord("EXSTYLE")) {
                ++m_at;
                ok = Style(dialog.exStyle);
            } else if (AtWord("CAPTION")) {
                ++m_at;
                captionGiven = true;
                ok = String(dialog.caption);
            } else if (AtWord("FONT")) {
                ++m_at;
                fontGiven = true;
                ok = Font(dialog);
            } else if (AtWord("LANGUAGE")) {
                ok = Language(dialog.language);
            } else if (AtWord("MENU") || AtWord("CLASS") || AtWord("CHARACTERISTICS") ||
                       AtWord("VERSION")) {
                m_at += 2;
            } else {
                return Fail("dialog statement expected");
            }
            if (!ok) {
                return false;
            }
        }
        // As rc: without STYLE the dialog is a popup with border and system menu; a caption
        // brings WS_CAPTION and a font DS_SETFONT whatever STYLE says.
        if (!styleGiven) {
            dialog.style = static_cast<DWORD>(kDialogDefaultStyle);
        }
        if (captionGiven) {
            dialog.style |= static_cast<DWORD>(kStyleCaption);
        }
        if (fontGiven) {
            dialog.style |= static_cast<DWORD>(kDialogSetFont);
        }
        return true;
    }

    bool Font(DialogTemplate& dialog) {
        if (!Int(dialog.fontPointSize) || !Expect(",") || !String(dialog.fontName)) {
            return false;
        }
        long long ignored = 0;
        for (int extra = 0; extra < 3 && AcceptPunct(","); ++extra) {
            if (!Number(ignored)) {
                return false;
            }
        }
        return true;
    }

    bool Controls(DialogTemplate& dialog) {
        ++m_at; // BEGIN
        while (!AtEnd()) {
            if (m_at >= m_tokens.size()) {
                return Fail("END expected");
            }
            TemplateControl control;
            if (!Control(control)) {
                return false;
            }
            if (AtBegin() && !SkipBlock()) { // DIALOGEX control data
                return false;
            }
            dialog.controls.push_back(std::move(control));
        }
        ++m_at;
        return true;
    }

    bool Control(TemplateControl& control) {
        if (AtWord("CONTROL")) {
            ++m_at;
            return GenericControl(control);
        }
        if (AtWord("ICON")) {
            ++m_at;
            return IconControl(control);
        }
        for (const ControlForm& form : kControlForms) {
            if (AtWord(form.keyword)) {
                ++m_at;
                return TypedControl(form, control);
            }
        }
        return Fail("control statement expected");
    }

    // A control's text: a string, or a resource number (an icon, for example).
    bool ControlText(TemplateControl& control) {
        if (AtKind(Token::Kind::String)) {
            return String(control.text);
        }
        long long number = 0;
        if (!Number(number)) {
            return false;
        }
        control.textResourceId = static_cast<int>(number);
        return true;
    }

    bool Rectangle(TemplateControl& control) {
        return Int(control.x) && Expect(",") && Int(control.y) && Expect(",") &&
               Int(control.width) && Expect(",") && Int(control.height);
    }

    // [, style [, exstyle [, helpid]]]
    bool OptionalStyles(TemplateControl& control) {
        if (AcceptPunct(",") && !Style(control.style)) {
            return false;
        }
        if (AcceptPunct(",") && !Style(control.exStyle)) {
            return false;
        }
        long long helpId = 0;
        return !AcceptPunct(",") || Number(helpId);
    }

    bool TypedControl(const ControlForm& form, TemplateControl& control) {
        control.className = form.className;
        control.style = static_cast<DWORD>(form.defaultStyle | kChildVisible);
        if (form.hasText && (!ControlText(control) || !Expect(","))) {
            return false;
        }
        return Int(control.id) && Expect(",") && Rectangle(control) && OptionalStyles(control);
    }

    // ICON text, id, x, y [, cx, cy [, style [, exstyle]]]
    bool IconControl(TemplateControl& control) {
        control.className = u"Static";
        control.style = static_cast<DWORD>(0x3 | kChildVisible); // SS_ICON
        if (!ControlText(control) || !Expect(",") || !Int(control.id) || !Expect(",") ||
            !Int(control.x) || !Expect(",") || !Int(control.y)) {
            return false;
        }
        if (AcceptPunct(",")) {
            if (!Int(control.width) || !Expect(",") || !Int(control.height)) {
                return false;
            }
            return OptionalStyles(control);
        }
        return true;
    }

    // CONTROL text, id, class, style, x, y, cx, cy [, exstyle [, helpid]]
    bool GenericControl(TemplateControl& control) {
        control.style = static_cast<DWORD>(kChildVisible);
        if (!ControlText(control) || !Expect(",") || !Int(control.id) || !Expect(",")) {
            return false;
        }
        if (AtKind(Token::Kind::String)) {
            std::u16string className;
            if (!String(className)) {
                return false;
            }
            control.className = CanonicalClass(className);
        } else if (AtKind(Token::Kind::Identifier)) {
            control.className = CanonicalClass(Widen(m_tokens[m_at++].word));
        } else {
            return Fail("control class expected");
        }
        if (!Expect(",") || !Style(control.style) || !Expect(",") || !Rectangle(control)) {
            return false;
        }
        if (AcceptPunct(",") && !Style(control.exStyle)) {
            return false;
        }
        long long helpId = 0;
        return !AcceptPunct(",") || Number(helpId);
    }

    const std::vector<Token>& m_tokens;
    ResourceSet& m_out;
    size_t m_at = 0;
    WORD m_language = kLanguageEnglishUs; // rc's default without /l
};

ScriptReading Finish(Preprocessor& preprocessor, bool read) {
    ScriptReading reading;
    if (!read) {
        reading.error = preprocessor.error;
        return reading;
    }
    ScriptParser parser(preprocessor.tokens, reading.resources);
    if (!parser.Parse()) {
        reading.error = parser.error;
        reading.resources = ResourceSet();
    }
    return reading;
}

// The loader's language order for one resource: the interface language, English, then
// whatever the program has.
template <typename Map>
auto PickLanguage(const Map& byLanguage, WORD uiLanguage) -> decltype(byLanguage.begin()) {
    auto found = byLanguage.find(uiLanguage);
    if (found == byLanguage.end()) {
        found = byLanguage.find(kLanguageEnglishUs);
    }
    if (found == byLanguage.end()) {
        found = byLanguage.begin();
    }
    return found;
}

} // namespace

const DialogTemplate* ResourceSet::Dialog(int id, WORD uiLanguage) const {
    auto byId = dialogs.find(id);
    if (byId == dialogs.end() || byId->second.empty()) {
        return nullptr;
    }
    return &PickLanguage(byId->second, uiLanguage)->second;
}

const std::u16string* ResourceSet::String(UINT id, WORD uiLanguage) const {
    // Which languages hold the block of 16 that id belongs to.
    std::map<WORD, const std::map<UINT, std::u16string>*> holders;
    for (const auto& [language, table] : strings) {
        auto first = table.lower_bound(id & ~0xFu);
        if (first != table.end() && (first->first >> 4) == (id >> 4)) {
            holders.emplace(language, &table);
        }
    }
    if (holders.empty()) {
        return nullptr;
    }
    const auto& table = *PickLanguage(holders, uiLanguage)->second;
    auto found = table.find(id);
    return found == table.end() ? nullptr : &found->second;
}

bool ResourceSet::HasStringBlock(UINT id) const {
    for (const auto& entry : strings) {
        auto first = entry.second.lower_bound(id & ~0xFu);
        if (first != entry.second.end() && (first->first >> 4) == (id >> 4)) {
            return true;
        }
    }
    return false;
}

bool ResourceSet::HasIcon(int id) const {
    return icons.count(id) != 0;
}

std::set<WORD> ResourceSet::Languages() const {
    std::set<WORD> languages;
    for (const auto& entry : strings) {
        languages.insert(entry.first);
    }
    for (const auto& byId : dialogs) {
        for (const auto& entry : byId.second) {
            languages.insert(entry.first);
        }
    }
    return languages;
}

ScriptReading ReadResourceScript(const std::string& path) {
    Preprocessor preprocessor;
    bool read = preprocessor.File(path, false, "");
    return Finish(preprocessor, read);
}

ScriptReading ReadResourceText(const std::string& text, const std::string& folder,
                               const std::string& displayName) {
    Preprocessor preprocessor;
    bool read = preprocessor.Text(text, folder, displayName, false);
    return Finish(preprocessor, read);
}

const ResourceSet& ProgramResources() {
    static const ResourceSet resources = [] {
        ScriptReading reading = ReadResourceScript(std::string(QUENLATH_RES_DIR) + "/Morvessa.rc");
        if (!reading.error.empty()) {
            std::fprintf(stderr, "in-memory machine: cannot read the resource scripts: %s\n",
                         reading.error.c_str());
            std::abort();
        }
        return std::move(reading.resources);
    }();
    return resources;
}

} // namespace machine_system
