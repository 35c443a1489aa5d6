// The upload names of one run: a base name used again, in any letter case,
// goes up with a count, IMG_0001(2), formed from the spelling first seen.
#pragma once

#include "pal/wide_string.h"

#include <map>
#include <windows.h>

namespace orvana {

class UniqueUploadNames {
  public:
    void Clear() { uses_.clear(); }
    // The name to upload baseName as; the same text when it is new to the run.
    pal::WideString Claim(pal::WideView baseName);

  private:
    struct IgnoringCase {
        bool operator()(const pal::WideString& a, const pal::WideString& b) const;
    };
    std::map<pal::WideString, int, IgnoringCase> uses_;
};

} // namespace orvana
