// Registry tests run in a fresh platform prefix each and compare whole
// subtrees as sorted text lines.
#pragma once

#include "pal/registry_key.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

using Lines = std::vector<std::string>;

// Every key and value below root\subKey, paths relative to it, sorted:
// "A\B" for a key, "A\B Name = "text"" for a string value ("@" names the
// default value) and "A\B Name = type:hex bytes" for any other type.
Lines TreeOf(HKEY root, const char16_t* subKey);

// Creates root\path with, when name is given, a string value.
void CreateKey(HKEY root, const char16_t* path, const char16_t* name = nullptr, std::u16string_view text = {});

} // namespace testing_support
