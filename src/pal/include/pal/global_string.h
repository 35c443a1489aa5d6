// Wide strings handed to the caller in GlobalAlloc blocks, as WinHTTP hands
// out proxy strings, and the owner that frees them on failure paths.
#pragma once

#include "pal/unique_global.h"
#include "pal/wide_string.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pal::http {

using GlobalString = pal::UniqueGlobal<WCHAR>;

// A zero-terminated copy in a fixed global block; null only when out of memory.
GlobalString CopyToGlobal(pal::WideView text);

// Like CopyToGlobal, but an absent text stays null. False when out of memory.
bool CopyToGlobal(const std::optional<pal::WideString>& text, GlobalString& out);

} // namespace pal::http
