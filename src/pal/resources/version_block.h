// The VS_VERSIONINFO block of a module, built from its version resource. Every
// node is: WORD wLength, WORD wValueLength, WORD wType (1 text, 0 binary), the
// zero-terminated key, padding to 32 bits, the value, padding, the children.
#pragma once

#include "resources.h"

#include <vector>

namespace pal {

// Layout: VS_VERSION_INFO (VS_FIXEDFILEINFO) holding StringFileInfo, with one
// table named by the translation ("040904b0"), then VarFileInfo\Translation.
std::vector<BYTE> BuildVersionBlock(const VersionResource& version);

} // namespace pal
