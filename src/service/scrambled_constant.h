// Constants the component keeps scrambled in its read-only data, so the texts
// do not stand in the binary as they are. A record is made at compile time;
// Unscramble gives the plain text, cached while anyone holds it.
#pragma once

#include "pal/wide_string.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <windows.h>

namespace orvana {

struct ScrambledConstant {
    DWORD sizeAndFlag; // low 31 bits: payload bytes; the top bit is a flag the count excludes
    DWORD key;
    BYTE marker[8];
    const BYTE* payload;
};

// The same transform scrambles and unscrambles: whole 32-bit little-endian
// words XOR the key, then each of the last 1 to 3 bytes XOR the low byte of
// the key shifted right by (position mod 31).
constexpr void TransformScrambled(BYTE* bytes, std::size_t size, DWORD key)
{
    std::size_t i = 0;
    for (; size - i >= 4; i += 4) {
        DWORD word = static_cast<DWORD>(bytes[i]) | static_cast<DWORD>(bytes[i + 1]) << 8 |
                     static_cast<DWORD>(bytes[i + 2]) << 16 | static_cast<DWORD>(bytes[i + 3]) << 24;
        word ^= key;
        for (int b = 0; b < 4; ++b)
            bytes[i + static_cast<std::size_t>(b)] = static_cast<BYTE>(word >> (8 * b));
    }
    for (; i < size; ++i)
        bytes[i] ^= static_cast<BYTE>(key >> (i % 31));
}

// The scrambled UTF-16LE bytes of a text, terminator included.
template <std::size_t N> struct ScrambledText {
    static constexpr std::size_t kBytes = 2 * N;
    std::array<BYTE, kBytes> bytes{};

    consteval ScrambledText(const WCHAR (&text)[N], DWORD key)
    {
        for (std::size_t n = 0; n < N; ++n) {
            bytes[2 * n] = static_cast<BYTE>(text[n]);
            bytes[2 * n + 1] = static_cast<BYTE>(text[n] >> 8);
        }
        TransformScrambled(bytes.data(), kBytes, key);
    }
};

// The plain text of a record: the same pointer to every caller while the copy
// lives. Each non-null answer is one hold, ended by one Release. Thread-safe;
// null when memory runs out.
LPCWSTR Unscramble(const ScrambledConstant& record);
// Ends one hold; the last overwrites the plain copy with zeros and frees it.
void Release(const ScrambledConstant& record);

// Holds a record's plain text for a scope.
class UnscrambledText {
  public:
    explicit UnscrambledText(const ScrambledConstant& record) : record_(record), text_(Unscramble(record)) {}
    ~UnscrambledText()
    {
        if (text_) Release(record_);
    }
    UnscrambledText(const UnscrambledText&) = delete;
    UnscrambledText& operator=(const UnscrambledText&) = delete;
    LPCWSTR Get() const noexcept { return text_; }

  private:
    const ScrambledConstant& record_;
    LPCWSTR text_;
};

// The client identification header the service requires of every request.
const ScrambledConstant& ClientHeaderName();
const ScrambledConstant& ClientHeaderValue();

} // namespace orvana
