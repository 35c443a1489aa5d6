// A flat JSON object written field by field, for the host's --json output.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

std::string JsonQuote(std::string_view text);

class JsonObject {
  public:
    JsonObject& Add(std::string_view key, std::optional<std::string_view> text);
    JsonObject& Add(std::string_view key, long long number);
    JsonObject& AddRaw(std::string_view key, std::string_view json);
    std::string Str() const { return "{" + body_ + "}"; }

  private:
    std::string body_;
};

} // namespace host
