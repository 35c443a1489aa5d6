// Reading a resource manifest and the string table and version files it names.
// The formats are described in docs/resources.md.
#pragma once

#include "model.h"

#include <string_view>

namespace pal::rc {

// Paths in the manifest are relative to the manifest's folder. Throws CompileError.
Module ReadManifest(const std::filesystem::path& manifest);

// `origin` names the text in messages. Entries come back ascending by id.
std::vector<StringEntry> ParseStringTable(std::string text, const std::string& origin);
Version ParseVersion(std::string text, const std::string& origin);

} // namespace pal::rc
