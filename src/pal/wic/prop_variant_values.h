// What a PROPVARIANT of the metadata queries carries, read into plain C++
// values, and PROPVARIANTs made from them with task memory, owned until
// handed out.
#pragma once

#include "pal/com/propvariant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pal::wic {

// Owns a PROPVARIANT being built; cleared unless detached.
class PropVariantOwner {
  public:
    PropVariantOwner() noexcept { PropVariantInit(&value_); }
    ~PropVariantOwner() { PropVariantClear(&value_); }
    PropVariantOwner(const PropVariantOwner&) = delete;
    PropVariantOwner& operator=(const PropVariantOwner&) = delete;

    PROPVARIANT* operator->() noexcept { return &value_; }
    PROPVARIANT& Get() noexcept { return value_; }
    void DetachTo(PROPVARIANT* out) noexcept
    {
        *out = value_;
        PropVariantInit(&value_);
    }

  private:
    PROPVARIANT value_;
};

// UTF-8 texts: one for VT_LPSTR/VT_LPWSTR, each for their vectors; null for other types.
std::optional<std::vector<std::string>> TextsOf(const PROPVARIANT& value);
// Integers of VT_UI1/UI2/UI4/I1/I2/I4, their vectors and VT_BLOB (bytes).
std::optional<std::vector<std::int64_t>> IntegersOf(const PROPVARIANT& value);
// Rationals of VT_UI8/VT_I8 and their vectors: numerator in the low half.
struct RationalList {
    bool isSigned = false;
    std::vector<std::pair<std::int64_t, std::int64_t>> values;
};
std::optional<RationalList> RationalsOf(const PROPVARIANT& value);

// Throw std::bad_alloc when task memory runs out.
void SetText(PropVariantOwner& out, const std::string& utf8, bool wide);
void SetTexts(PropVariantOwner& out, const std::vector<std::string>& utf8);
void SetBlob(PropVariantOwner& out, const std::vector<std::uint8_t>& bytes);
// One value as the scalar type, several as its vector (VT_UI1, VT_UI2, VT_UI4, VT_I2, VT_I4).
void SetIntegers(PropVariantOwner& out, VARTYPE type, const std::vector<std::int64_t>& values);
// VT_UI8 or VT_I8 (and vectors): numerator in the low 32 bits, denominator in the high.
void SetRationals(PropVariantOwner& out, const RationalList& rationals);

} // namespace pal::wic
