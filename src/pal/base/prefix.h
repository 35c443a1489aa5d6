// The platform prefix: the directory that holds this layer's machine state
// (registry hives, host files), like a Wine prefix. It comes from the
// environment variable ORVANA_PREFIX, else $XDG_DATA_HOME/orvana, else
// ~/.local/share/orvana. Read at every call, so a process (or a test) that
// changes the variable moves to the new prefix.
#pragma once

#include <filesystem>

namespace pal {

// The prefix directory, created when missing.
std::filesystem::path PrefixDirectory();

} // namespace pal
