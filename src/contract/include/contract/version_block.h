// An owned copy of a module file's version resource, and its string lookup
// through the first translation entry.
#pragma once

#include "pal/wide_string.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

namespace orvana {

// The full path of the module this code is linked into.
pal::WideString ThisModulePath();

class VersionBlock {
  public:
    VersionBlock() = default;
    // Reads the block of the module file; an unreadable file leaves it empty.
    explicit VersionBlock(const pal::WideString& modulePath);

    // "\StringFileInfo\<language><code page>\<key>" of the first translation
    // entry, at most 4096 characters; empty when the block or entry is missing.
    pal::WideString String(pal::WideView key) const;
    // The file version's four parts (major, minor, build, revision); zeros when unreadable.
    std::array<WORD, 4> FileVersion() const;

    // The block of the module this code is linked into.
    static VersionBlock OfThisModule();

  private:
    std::vector<BYTE> block_;
};

} // namespace orvana
