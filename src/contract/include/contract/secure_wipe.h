// Overwrites secrets before their memory is given back. Writes go through a
// volatile pointer so the compiler cannot drop them as dead stores.
#pragma once

#include "pal/wide_string.h"

#include <cstddef>
#include <string>
#include <vector>
#include <windows.h>

namespace orvana {

inline void SecureWipe(void* data, std::size_t size) noexcept
{
    volatile BYTE* p = static_cast<volatile BYTE*>(data);
    while (size--)
        *p++ = 0;
}

inline void SecureWipe(std::vector<BYTE>& bytes) noexcept
{
    SecureWipe(bytes.data(), bytes.size());
}

inline void SecureWipe(pal::WideString& text) noexcept
{
    SecureWipe(text.data(), text.size() * sizeof(WCHAR));
}

} // namespace orvana
