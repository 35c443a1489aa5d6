// Owning WinHTTP handle.
#pragma once

#include <memory>
#include <winhttp.h>

namespace pal {

struct InternetCloser {
    void operator()(HINTERNET handle) const noexcept { WinHttpCloseHandle(handle); }
};
// Closes an HINTERNET on every path.
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

} // namespace pal
