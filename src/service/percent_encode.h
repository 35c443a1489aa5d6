// A text as it may stand in a URL's query: its UTF-8 bytes, each one that is
// not an ASCII letter or digit written as "%" and two upper-case hex digits.
#pragma once

#include "pal/wide_string.h"

namespace orvana {

pal::WideString PercentEncode(pal::WideView text);

} // namespace orvana
