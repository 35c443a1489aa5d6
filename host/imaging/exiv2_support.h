// exiv2 for the host's imaging: its XMP toolkit started once per process and
// its log kept quiet, and texts from files turned into UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace host::imaging {

void EnsureExiv2();

// Files carry EXIF and IPTC texts in UTF-8 or, from older software, Latin-1;
// valid UTF-8 is kept, anything else is read as Latin-1.
std::string AsUtf8(std::string_view text);

} // namespace host::imaging
