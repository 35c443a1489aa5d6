// The "SelectionNamespaces" property: prefix bindings for XPath, written as
// namespace declarations ("xmlns:s='uri' xmlns:z=\"uri\"").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pal::xml {

struct NamespaceBinding {
    std::string prefix;
    std::string uri;
};

// The prefixed declarations in order, or nothing when the text is malformed.
// Either quote style and any white space between declarations; a default
// declaration (xmlns='uri') is accepted and binds nothing, as XPath 1.0 has
// no default namespace for names.
std::optional<std::vector<NamespaceBinding>> ParseSelectionNamespaces(std::string_view text);

} // namespace pal::xml
