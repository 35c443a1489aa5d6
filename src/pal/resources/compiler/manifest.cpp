#include "pal/resources/compiler/manifest.h"

#include "pal/resources/compiler/text_lines.h"
#include "pal/resources/icon_file.h"
#include "pal/utf.h"

#include <algorithm>
#include <map>
#include <set>

namespace pal::rc {

namespace {

constexpr unsigned long kMaxId = 0xFFFF;

bool IsIdentifier(std::string_view text)
{
    const auto start = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    const auto rest = [&](char c) { return start(c) || (c >= '0' && c <= '9'); };
    return !text.empty() && start(text.front()) && std::all_of(text.begin() + 1, text.end(), rest);
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

unsigned Id(std::string_view field, unsigned long min, const std::string& origin)
{
    const auto id = ParseNumber(field, kMaxId);
    if (!id || *id < min) Fail(origin, "expected a resource number from " + std::to_string(min) + " to 65535");
    return static_cast<unsigned>(*id);
}

// A path field: the rest of the line, in double quotes when it holds blanks.
std::filesystem::path PathField(std::string_view rest, const std::filesystem::path& folder, const std::string& origin)
{
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    if (rest.empty()) Fail(origin, "expected a file name");
    return (folder / std::filesystem::path(std::string(rest))).lexically_normal();
}

std::array<std::uint16_t, 4> VersionNumber(std::string_view field, const std::string& origin)
{
    std::array<std::uint16_t, 4> parts{};
    std::size_t count = 0;
    bool valid = true;
    for (std::string_view rest = field; valid;) {
        const std::size_t end = std::min(rest.find_first_of(".,"), rest.size());
        const auto part = ParseNumber(rest.substr(0, end), 0xFFFF);
        valid = part && count < parts.size();
        if (valid) parts[count++] = static_cast<std::uint16_t>(*part);
        if (end == rest.size()) break;
        rest.remove_prefix(end + 1);
    }
    if (!valid || count != parts.size()) Fail(origin, "expected a version of four numbers, as 1.9.289.0");
    return parts;
}

class ManifestReader {
  public:
    explicit ManifestReader(const std::filesystem::path& manifest) : folder_(manifest.parent_path())
    {
        module_.inputs.push_back(manifest);
    }

    void Line(const pal::rc::Line& line)
    {
        std::string_view rest = line.text;
        const std::string keyword(TakeField(rest));
        if (keyword == "STRINGTABLE") return Strings(rest, line.origin);
        if (keyword == "VERSION") return VersionFile(rest, line.origin);
        if (keyword == "TYPELIB") return TypeLibrary(rest, line.origin);
        if (!IsIdentifier(keyword)) Fail(line.origin, "expected a keyword or a resource type name");
        const unsigned id = Id(TakeField(rest), 1, line.origin);
        Data(Upper(keyword), id, rest, line.origin);
    }

    Module Finish()
    {
        for (const auto& [id, entry] : strings_)
            module_.strings.push_back({id, entry.text});
        return std::move(module_);
    }

  private:
    struct Placed {
        std::u16string text;
        std::string origin;
    };

    std::string Input(const std::filesystem::path& file)
    {
        std::string content = ReadFile(file.string());
        module_.inputs.push_back(file);
        return content;
    }

    void Strings(std::string_view rest, const std::string& origin)
    {
        const std::filesystem::path file = PathField(rest, folder_, origin);
        for (StringEntry& entry : ParseStringTable(Input(file), file.string())) {
            const auto [placed, added] = strings_.try_emplace(entry.id, Placed{std::move(entry.text), origin});
            if (!added)
                Fail(origin, "string " + std::to_string(entry.id) + " is also given by " + placed->second.origin);
        }
    }

    void VersionFile(std::string_view rest, const std::string& origin)
    {
        if (module_.version) Fail(origin, "a module has one VERSION");
        const std::filesystem::path file = PathField(rest, folder_, origin);
        module_.version = ParseVersion(Input(file), file.string());
    }

    void TypeLibrary(std::string_view rest, const std::string& origin)
    {
        if (Id(TakeField(rest), 1, origin) != 1) Fail(origin, "the type library is TYPELIB 1");
        if (!module_.typeLibrary.empty()) Fail(origin, "a module has one TYPELIB");
        if (!IsIdentifier(rest)) Fail(origin, "expected the C symbol of the type library description");
        module_.typeLibrary = std::string(rest);
    }

    void Data(std::string type, unsigned id, std::string_view rest, const std::string& origin)
    {
        if (!data_.insert({type, id}).second) Fail(origin, type + " " + std::to_string(id) + " is listed twice");
        const std::string content = Input(PathField(rest, folder_, origin));
        DataEntry entry{std::move(type), id, std::vector<std::uint8_t>(content.begin(), content.end())};
        if (entry.type == "ICON" && !IsIconFile(entry.bytes)) Fail(origin, "the file is not a valid .ico file");
        module_.data.push_back(std::move(entry));
    }

    std::filesystem::path folder_;
    Module module_;
    std::map<unsigned, Placed> strings_;
    std::set<std::pair<std::string, unsigned>> data_;
};

} // namespace

std::vector<StringEntry> ParseStringTable(std::string text, const std::string& origin)
{
    std::map<unsigned, std::u16string> entries;
    LineReader lines(std::move(text), origin);
    while (const auto line = lines.Next()) {
        std::string_view rest = line->text;
        const unsigned id = Id(TakeField(rest), 0, line->origin);
        if (!entries.try_emplace(id, QuotedText(rest, line->origin)).second)
            Fail(line->origin, "string " + std::to_string(id) + " is given twice");
    }
    std::vector<StringEntry> table;
    for (auto& [id, entry] : entries)
        table.push_back({id, std::move(entry)});
    return table;
}

Version ParseVersion(std::string text, const std::string& origin)
{
    Version version;
    bool fileVersion = false;
    bool productVersion = false;
    std::set<std::u16string> keys;
    LineReader lines(std::move(text), origin);
    while (const auto line = lines.Next()) {
        std::string_view rest = line->text;
        const std::string_view keyword = TakeField(rest);
        if (keyword == "FILEVERSION") {
            version.fileVersion = VersionNumber(rest, line->origin);
            fileVersion = true;
        } else if (keyword == "PRODUCTVERSION") {
            version.productVersion = VersionNumber(rest, line->origin);
            productVersion = true;
        } else if (keyword == "FILETYPE") {
            if (rest != "DLL" && rest != "APP") Fail(line->origin, "FILETYPE is DLL or APP");
            version.fileType = rest == "DLL" ? 2 : 1;
        } else if (keyword == "TRANSLATION") {
            const auto language = ParseNumber(TakeField(rest), 0xFFFF);
            const auto codePage = ParseNumber(rest, 0xFFFF);
            if (!language || !codePage) Fail(line->origin, "expected a language id and a code page, as 0x0409 1200");
            version.language = static_cast<std::uint16_t>(*language);
            version.codePage = static_cast<std::uint16_t>(*codePage);
        } else if (keyword == "VALUE") {
            const std::string_view key = TakeField(rest);
            if (!IsIdentifier(key)) Fail(line->origin, "expected a value name, as FileDescription");
            VersionEntry entry{ToUtf16(key), QuotedText(rest, line->origin)};
            if (!keys.insert(ToUtf16(Upper(key))).second) Fail(line->origin, "the value is given twice");
            version.strings.push_back(std::move(entry));
        } else {
            Fail(line->origin, "expected FILEVERSION, PRODUCTVERSION, FILETYPE, TRANSLATION or VALUE");
        }
    }
    if (!fileVersion) Fail(origin, "FILEVERSION is missing");
    if (!productVersion) version.productVersion = version.fileVersion;
    return version;
}

Module ReadManifest(const std::filesystem::path& manifest)
{
    ManifestReader reader(manifest.lexically_normal());
    LineReader lines(ReadFile(manifest.string()), manifest.string());
    while (const auto line = lines.Next())
        reader.Line(*line);
    return reader.Finish();
}

} // namespace pal::rc
