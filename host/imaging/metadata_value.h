// A value for IWICMetadataQueryWriter::SetMetadataByName that owns what its
// PROPVARIANT points at: the view is made on demand, so moving the value
// never leaves a pointer behind.
#pragma once

#include "pal/wide_string.h"

#include <cstdint>
#include <string>
#include <vector>
#include <wincodec.h>

namespace host::imaging {

class MetadataValue {
  public:
    static MetadataValue Text(std::string utf8);         // VT_LPSTR
    static MetadataValue WideText(pal::WideString text); // VT_LPWSTR
    static MetadataValue WideTexts(std::vector<pal::WideString> texts); // VT_VECTOR|VT_LPWSTR
    // One number is the plain type (VT_UI1, VT_UI2, VT_UI4, VT_I2, VT_I4),
    // several a VT_VECTOR of it; vt is the element type.
    static MetadataValue Numbers(VARTYPE vt, std::vector<std::int64_t> numbers);
    // Rationals as VT_UI8 (unsigned) or VT_I8 (signed): numerator in the low
    // 32 bits, denominator in the high; several make a VT_VECTOR.
    static MetadataValue Rationals(bool isSigned, std::vector<std::pair<std::int64_t, std::int64_t>> rationals);
    static MetadataValue Blob(std::vector<std::uint8_t> bytes); // VT_BLOB

    PROPVARIANT View() const;

  private:
    VARTYPE vt_ = VT_EMPTY;
    std::string narrow_;
    std::vector<pal::WideString> wide_;
    std::vector<std::uint64_t> words_; // numbers or rationals, packed as the element type wants
    mutable std::vector<WCHAR*> widePointers_;
    mutable std::vector<std::uint8_t> packed_;
};

} // namespace host::imaging
