// The host's state streams: one file per plug-in class under the prefix. A
// plug-in gets its state as a memory stream; after Terminate the stream's
// content replaces the file atomically.
#pragma once

#include "pal/com/stream.h"
#include "pal/com_ptr.h"

#include <filesystem>

namespace host {

class StateStore {
  public:
    explicit StateStore(std::filesystem::path directory) : directory_(std::move(directory)) {}

    static StateStore InPrefix();

    std::filesystem::path FileFor(REFCLSID plugin) const;
    // A memory stream holding the saved state (empty when none), positioned at 0.
    pal::ComPtr<IStream> Open(REFCLSID plugin) const;
    // Writes the whole stream back. Throws on failure; the old file then stays.
    void Save(REFCLSID plugin, IStream* stream) const;

  private:
    std::filesystem::path directory_;
};

} // namespace host
