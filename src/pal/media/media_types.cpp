#include "pal/media_types.h"

#include "pal/media/media_type_table.h"
#include "pal/utf.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace pal::media {

namespace {

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace

MediaTypeTable MediaTypeTable::Parse(std::istream& in)
{
    MediaTypeTable table;
    std::string line;
    while (std::getline(in, line)) {
        line.erase(std::min(line.find('#'), line.size()));
        std::istringstream fields(line);
        std::string type, extension;
        if (!(fields >> type) || type.find('/') == std::string::npos) continue;
        while (fields >> extension)
            table.types_.try_emplace(AsciiLower(extension), type);
    }
    return table;
}

std::optional<std::string> MediaTypeTable::Find(std::string_view extension) const
{
    const auto found = types_.find(AsciiLower(extension));
    if (found == types_.end()) return std::nullopt;
    return found->second;
}

} // namespace pal::media

namespace pal {

std::optional<WideString> MediaTypeOfExtension(WideView extension)
{
    if (extension.size() < 2 || extension.front() != u'.') return std::nullopt;
    // Read once: the table changes only when packages do.
    static const media::MediaTypeTable table = [] {
        std::ifstream file("/etc/mime.types");
        return media::MediaTypeTable::Parse(file);
    }();
    const auto type = table.Find(ToUtf8(extension.substr(1)));
    if (!type) return std::nullopt;
    return ToUtf16(*type);
}

} // namespace pal
