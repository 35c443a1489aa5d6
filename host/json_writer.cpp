#include "host/json_writer.h"

#include <cstdio>

namespace host {

std::string JsonQuote(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json)
{
    if (!body_.empty()) body_ += ",";
    body_ += JsonQuote(key) + ":" + std::string(json);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::optional<std::string_view> text)
{
    return AddRaw(key, text ? JsonQuote(*text) : "null");
}

JsonObject& JsonObject::Add(std::string_view key, long long number)
{
    return AddRaw(key, std::to_string(number));
}

} // namespace host
