// Lookup of data resources by type name and number, shared by FindResourceW and LoadImageW.
#pragma once

#include "resources.h"

#include <optional>

namespace pal {

// The number a resource name stands for: MAKEINTRESOURCEW(n) or the text "#n".
std::optional<UINT> ResourceNumber(LPCWSTR name) noexcept;

// Type names are compared without regard to case; null when there is no such resource.
const DataResource* FindDataResource(HINSTANCE module, std::u16string_view type, UINT id) noexcept;

} // namespace pal
