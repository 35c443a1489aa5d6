#include "pal/resources/compiler/text_lines.h"

#include "pal/resources/compiler/model.h"
#include "pal/utf.h"

#include <fstream>
#include <sstream>

namespace pal::rc {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

void Fail(const std::string& origin, const std::string& message)
{
    throw CompileError(origin + ": " + message);
}

LineReader::LineReader(std::string text, std::string file) : text_(std::move(text)), file_(std::move(file))
{
    // A byte-order mark is no content.
    if (text_.starts_with("\xEF\xBB\xBF")) position_ = 3;
}

std::optional<Line> LineReader::Next()
{
    while (position_ < text_.size()) {
        const std::size_t end = std::min(text_.find('\n', position_), text_.size());
        const std::string_view line = Trim(std::string_view(text_).substr(position_, end - position_));
        position_ = end + 1;
        ++number_;
        if (line.empty() || line.front() == '#') continue;
        return Line{file_ + ":" + std::to_string(number_), line};
    }
    return std::nullopt;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CompileError(path + ": cannot be read");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw CompileError(path + ": cannot be read");
    return std::move(content).str();
}

std::string_view TakeField(std::string_view& rest)
{
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    const std::string_view field = rest.substr(0, end);
    rest = Trim(rest.substr(end));
    return field;
}

std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long max)
{
    unsigned base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
    }
    if (value > max) return std::nullopt;
    return value;
}

std::u16string QuotedText(std::string_view field, const std::string& origin)
{
    if (field.size() < 2 || field.front() != '"' || field.back() != '"')
        Fail(origin, "expected a text in double quotes");
    const std::string_view inner = field.substr(1, field.size() - 2);
    std::string text;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] != '\\') {
            text += inner[i];
            continue;
        }
        const char escaped = i + 1 < inner.size() ? inner[++i] : '\0';
        switch (escaped) {
        case '\\':
            text += '\\';
            break;
        case '"':
            text += '"';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        default:
            Fail(origin, "unknown escape \\" + std::string(1, escaped) + " (write \\\\ for a backslash)");
        }
    }
    std::u16string wide = ToUtf16(text);
    if (ToUtf8(wide) != text) Fail(origin, "the text is not UTF-8");
    return wide;
}

} // namespace pal::rc
