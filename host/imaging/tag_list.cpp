#include "host/imaging/tag_list.h"

#include <charconv>
#include <optional>

namespace host::imaging {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

bool IsIfd(char c)
{
    return c == static_cast<char>(TagIfd::Image) || c == static_cast<char>(TagIfd::Exif) ||
           c == static_cast<char>(TagIfd::Gps);
}

bool IsType(char c)
{
    for (char known : {'A', 'B', 'S', 'L', 's', 'l', 'R', 'r', 'U'})
        if (c == known) return true;
    return false;
}

bool IsRationalType(TagType type)
{
    return type == TagType::Rational || type == TagType::SRational;
}

void AppendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
}

std::string Unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            out += text[i + 1] == 'n' ? '\n' : text[i + 1];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::int64_t> Number(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    if (text.empty()) return parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

bool ParseValues(TagEntry& entry, std::string_view values)
{
    if (entry.type == TagType::Ascii) {
        entry.text = Unescaped(values);
        return true;
    }
    if (entry.type == TagType::Undefined) {
        if (values.size() % 2 != 0) return false;
        for (std::size_t i = 0; i < values.size(); i += 2) {
            int byte = 0;
            const auto [end, error] = std::from_chars(values.data() + i, values.data() + i + 2, byte, 16);
            if (error != std::errc{} || end != values.data() + i + 2) return false;
            entry.integers.push_back(byte);
        }
        return true;
    }
    for (std::string_view part : Split(values, ',')) {
        if (IsRationalType(entry.type)) {
            const std::size_t slash = part.find('/');
            if (slash == std::string_view::npos) return false;
            const auto numerator = Number(part.substr(0, slash));
            const auto denominator = Number(part.substr(slash + 1));
            if (!numerator || !denominator) return false;
            entry.rationals.push_back({*numerator, *denominator});
        } else {
            const auto number = Number(part);
            if (!number) return false;
            entry.integers.push_back(*number);
        }
    }
    return !entry.integers.empty() || !entry.rationals.empty();
}

std::optional<TagEntry> ParseLine(std::string_view line)
{
    // "<ifd> <tag> <type> <values>"
    if (line.size() < 6 || !IsIfd(line[0]) || line[1] != ' ') return std::nullopt;
    const std::size_t tagEnd = line.find(' ', 2);
    if (tagEnd == std::string_view::npos || tagEnd + 2 >= line.size() || line[tagEnd + 2] != ' ') return std::nullopt;
    const auto tag = Number(line.substr(2, tagEnd - 2));
    if (!tag || *tag < 0 || *tag > 0xFFFF || !IsType(line[tagEnd + 1])) return std::nullopt;
    TagEntry entry;
    entry.ifd = static_cast<TagIfd>(line[0]);
    entry.tag = static_cast<std::uint16_t>(*tag);
    entry.type = static_cast<TagType>(line[tagEnd + 1]);
    if (!ParseValues(entry, line.substr(tagEnd + 3))) return std::nullopt;
    return entry;
}

} // namespace

std::string EncodeTagList(const std::vector<TagEntry>& tags)
{
    std::string out;
    for (const TagEntry& entry : tags) {
        out += static_cast<char>(entry.ifd);
        out += ' ';
        out += std::to_string(entry.tag);
        out += ' ';
        out += static_cast<char>(entry.type);
        out += ' ';
        if (entry.type == TagType::Ascii) {
            AppendEscaped(out, entry.text);
        } else if (entry.type == TagType::Undefined) {
            for (std::int64_t byte : entry.integers) {
                out += kHexDigits[(byte >> 4) & 0xF];
                out += kHexDigits[byte & 0xF];
            }
        } else if (IsRationalType(entry.type)) {
            for (std::size_t i = 0; i < entry.rationals.size(); ++i) {
                if (i) out += ',';
                out += std::to_string(entry.rationals[i].numerator) + '/' +
                       std::to_string(entry.rationals[i].denominator);
            }
        } else {
            for (std::size_t i = 0; i < entry.integers.size(); ++i) {
                if (i) out += ',';
                out += std::to_string(entry.integers[i]);
            }
        }
        out += '\n';
    }
    return out;
}

std::vector<TagEntry> DecodeTagList(std::string_view text)
{
    std::vector<TagEntry> tags;
    for (std::string_view line : Split(text, '\n'))
        if (auto entry = ParseLine(line)) tags.push_back(std::move(*entry));
    return tags;
}

} // namespace host::imaging
