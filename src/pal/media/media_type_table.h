// mime.types parsing: lines of "type/subtype ext ext ...", "#" starting a
// comment. Extensions are kept in ASCII lower case; the first line naming one wins.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pal::media {

class MediaTypeTable {
  public:
    static MediaTypeTable Parse(std::istream& in);
    // extension without its dot, any case.
    std::optional<std::string> Find(std::string_view extension) const;

  private:
    std::unordered_map<std::string, std::string> types_;
};

} // namespace pal::media
