// Writing the module's generated C++ source and the depfile for the build.
#pragma once

#include "model.h"

#include <string>
#include <string_view>

namespace pal::rc {

// The source that defines g_palModuleResources and PalModuleResources.
std::string EmitSource(const Module& module, std::string_view manifestName);

// A make-style rule: the output depends on every input the manifest read.
std::string EmitDepfile(const Module& module, const std::filesystem::path& output);

// A u"..." literal that spells text exactly, whatever code units it holds.
std::string WideLiteral(std::u16string_view text);

} // namespace pal::rc
