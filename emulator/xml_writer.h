#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace emulator {

std::string EscapeXml(std::string_view text);

// Builds compact XML text element by element; names are written as given,
// texts are escaped.
class XmlWriter {
  public:
    // attributes: raw name="value" pairs appended to the start tag.
    void Open(std::string_view name, std::string_view attributes = {});
    void Close();
    void Element(std::string_view name, std::string_view text);
    void Element(std::string_view name, std::int64_t value);
    void Boolean(std::string_view name, bool value);
    void Element(std::string_view name, const char* text) { Element(name, std::string_view(text)); }
    void Text(std::string_view text);
    std::string Take();

  private:
    std::string out_;
    std::vector<std::string> open_;
};

} // namespace emulator
