// Line-oriented reading shared by the manifest, string table and version files:
// '#' starts a comment line, blank lines are skipped, fields are separated by
// blanks, and a text is everything between the first and the last '"' of its line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pal::rc {

struct Line {
    std::string origin;    // "file:line"
    std::string_view text; // without the line break and outer blanks
};

class LineReader {
  public:
    LineReader(std::string text, std::string file);
    // The next line with content, or nothing at the end.
    std::optional<Line> Next();

  private:
    std::string text_;
    std::string file_;
    std::size_t position_ = 0;
    unsigned number_ = 0;
};

std::string ReadFile(const std::string& path); // throws CompileError

// Splits off the first blank-separated field; rest receives the remainder, trimmed.
std::string_view TakeField(std::string_view& rest);

// A decimal or 0x-prefixed hexadecimal number up to max.
std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long max);

// The text between the first and the last '"' of a field that starts with '"',
// with the escapes \\ \" \n \t resolved, as UTF-16. Throws CompileError.
std::u16string QuotedText(std::string_view field, const std::string& origin);

[[noreturn]] void Fail(const std::string& origin, const std::string& message);

} // namespace pal::rc
