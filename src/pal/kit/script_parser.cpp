#include "script_parser.h"

#include "pal/utf.h"
#include "pal/wide_string.h"

#include <algorithm>
#include <cstdint>

namespace pal::registrar {

namespace {

bool EqualsAsciiNoCase(pal::WideView text, std::string_view word)
{
    return text.size() == word.size() && std::equal(text.begin(), text.end(), word.begin(), [](WCHAR a, char b) {
               const auto lower = [](char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; };
               return lower(a) == lower(static_cast<unsigned char>(b));
           });
}

void AppendUtf16Le(std::vector<BYTE>& out, pal::WideView text)
{
    for (WCHAR unit : text) {
        out.push_back(static_cast<BYTE>(unit & 0xFF));
        out.push_back(static_cast<BYTE>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

int HexDigit(WCHAR c)
{
    if (c >= W('0') && c <= W('9')) return c - W('0');
    if (c >= W('a') && c <= W('f')) return c - W('a') + 10;
    if (c >= W('A') && c <= W('F')) return c - W('A') + 10;
    return -1;
}

// Decimal, or hexadecimal after 0x; at most 0xFFFFFFFF.
bool ParseDword(pal::WideView text, DWORD& value)
{
    std::uint64_t result = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == W('0') && (text[1] == W('x') || text[1] == W('X'))) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    for (WCHAR c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
        result = result * base + static_cast<unsigned>(digit);
        if (result > 0xFFFFFFFFu) return false;
    }
    value = static_cast<DWORD>(result);
    return true;
}

class Parser {
  public:
    Parser(std::vector<Token> tokens, ScriptError& error) : tokens_(std::move(tokens)), error_(error) {}

    bool Script(ParsedScript& parsed)
    {
        while (!AtEnd()) {
            ScriptRoot root{ScriptHive::ClassesRoot, {}};
            root.body.flag = KeyFlag::NoRemove;
            if (!Hive(root.hive) || !Expect(TokenKind::OpenBrace, "'{' after the root key") || !Body(root.body, 0))
                return false;
            parsed.roots.push_back(std::move(root));
        }
        return true;
    }

  private:
    bool AtEnd() const { return next_ == tokens_.size(); }
    const Token& Peek() const { return tokens_[next_]; }
    bool PeekIs(TokenKind kind) const { return !AtEnd() && Peek().kind == kind; }

    bool Fail(std::string message)
    {
        error_.line = AtEnd() ? (tokens_.empty() ? 1 : tokens_.back().line) : Peek().line;
        error_.message = std::move(message);
        return false;
    }

    bool Expect(TokenKind kind, const char* what)
    {
        if (!PeekIs(kind)) return Fail(std::string("expected ") + what);
        ++next_;
        return true;
    }

    bool IsWord(std::string_view word) const { return PeekIs(TokenKind::Word) && EqualsAsciiNoCase(Peek().text, word); }

    bool Name(pal::WideString& name, const char* what)
    {
        if (!PeekIs(TokenKind::Word) && !PeekIs(TokenKind::Quoted)) return Fail(std::string("expected ") + what);
        name = tokens_[next_++].text;
        return true;
    }

    bool Hive(ScriptHive& hive)
    {
        static constexpr struct {
            std::string_view shortName, longName;
            ScriptHive hive;
        } kHives[] = {{"HKCR", "HKEY_CLASSES_ROOT", ScriptHive::ClassesRoot},
                      {"HKCU", "HKEY_CURRENT_USER", ScriptHive::CurrentUser},
                      {"HKLM", "HKEY_LOCAL_MACHINE", ScriptHive::LocalMachine}};
        for (const auto& known : kHives) {
            if (IsWord(known.shortName) || IsWord(known.longName)) {
                hive = known.hive;
                ++next_;
                return true;
            }
        }
        return Fail("expected a root key (HKCR, HKCU or HKLM)");
    }

    // The items of a block, through its closing brace.
    bool Body(ScriptKey& key, std::size_t depth)
    {
        for (;;) {
            if (AtEnd()) return Fail("missing '}'");
            if (PeekIs(TokenKind::CloseBrace)) {
                ++next_;
                return true;
            }
            if (IsWord("val")) {
                ++next_;
                ScriptValue value;
                if (!Name(value.name, "a value name after 'val'") ||
                    !Expect(TokenKind::Equals, "'=' after the value name") || !Value(value))
                    return false;
                key.values.push_back(std::move(value));
                continue;
            }
            ScriptKey subkey;
            if (!Key(subkey, depth + 1)) return false;
            key.subkeys.push_back(std::move(subkey));
        }
    }

    bool Key(ScriptKey& key, std::size_t depth)
    {
        if (depth > kMaxScriptDepth) return Fail("keys nested too deep");
        if (IsWord("NoRemove"))
            key.flag = KeyFlag::NoRemove;
        else if (IsWord("ForceRemove"))
            key.flag = KeyFlag::ForceRemove;
        else if (IsWord("Delete"))
            key.flag = KeyFlag::Delete;
        if (key.flag != KeyFlag::None) ++next_;

        if (!Name(key.name, "a key name")) return false;
        if (key.name.empty()) return Fail("empty key name");
        if (key.name.find(W('\\')) != pal::WideString::npos) return Fail("a key name names one level, without '\\'");

        if (PeekIs(TokenKind::Equals)) {
            ++next_;
            key.defaultValue.emplace();
            if (!Value(*key.defaultValue)) return false;
        }
        if (PeekIs(TokenKind::OpenBrace)) {
            ++next_;
            return Body(key, depth);
        }
        return true;
    }

    bool Value(ScriptValue& value)
    {
        if (!PeekIs(TokenKind::Word)) return Fail("expected a value type (s, e, d, b or m)");
        const Token& type = tokens_[next_++];
        const std::size_t typeLine = type.line;
        if (EqualsAsciiNoCase(type.text, "s") || EqualsAsciiNoCase(type.text, "e")) {
            value.type = EqualsAsciiNoCase(type.text, "s") ? REG_SZ : REG_EXPAND_SZ;
            pal::WideString text;
            if (!Name(text, "the string data")) return false;
            AppendUtf16Le(value.data, text);
            return true;
        }
        if (EqualsAsciiNoCase(type.text, "d")) {
            value.type = REG_DWORD;
            pal::WideString text;
            if (!Name(text, "the number data")) return false;
            DWORD number = 0;
            if (!ParseDword(text, number)) {
                --next_;
                return Fail("not a 32-bit number: " + ToUtf8(text));
            }
            for (int n = 0; n < 4; ++n)
                value.data.push_back(static_cast<BYTE>(number >> (8 * n)));
            return true;
        }
        if (EqualsAsciiNoCase(type.text, "b")) {
            value.type = REG_BINARY;
            pal::WideString text;
            if (!Name(text, "the binary data")) return false;
            if (text.size() % 2 != 0) {
                --next_;
                return Fail("binary data needs two hex digits per byte");
            }
            for (std::size_t n = 0; n < text.size(); n += 2) {
                const int high = HexDigit(text[n]);
                const int low = HexDigit(text[n + 1]);
                if (high < 0 || low < 0) {
                    --next_;
                    return Fail("binary data holds a character that is not a hex digit");
                }
                value.data.push_back(static_cast<BYTE>(high * 16 + low));
            }
            return true;
        }
        if (EqualsAsciiNoCase(type.text, "m")) {
            // The strings of a multi-string are the quoted tokens on the line
            // of the 'm'; a quoted name on the next line starts a new item.
            value.type = REG_MULTI_SZ;
            bool any = false;
            while (PeekIs(TokenKind::Quoted) && Peek().line == typeLine) {
                AppendUtf16Le(value.data, tokens_[next_++].text);
                any = true;
            }
            if (!any) {
                Fail("a multi-string needs at least one quoted string on the line of 'm'");
                error_.line = typeLine;
                return false;
            }
            value.data.push_back(0);
            value.data.push_back(0);
            return true;
        }
        --next_;
        return Fail("unknown value type '" + ToUtf8(type.text) + "'");
    }

    std::vector<Token> tokens_;
    std::size_t next_ = 0;
    ScriptError& error_;
};

} // namespace

bool ParseScript(pal::WideView script, const ReplacementMap& replacements, ParsedScript& parsed, ScriptError& error)
{
    parsed.roots.clear();
    std::vector<Token> tokens;
    if (!Tokenize(script, replacements, tokens, error)) return false;
    return Parser(std::move(tokens), error).Script(parsed);
}

} // namespace pal::registrar
