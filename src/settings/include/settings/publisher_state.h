// The publisher's account and gallery choice, kept in the stream the host
// hands over at initialisation. Strings are nullable: null (never set) and
// empty are different states and both survive a save and load.
#pragma once

#include "pal/wide_string.h"

#include <objbase.h>
#include <optional>
#include <string>
#include <vector>

namespace orvana {

struct PublisherState {
    std::optional<pal::WideString> AccountIdentifier;
    std::optional<std::vector<BYTE>> ProtectedPassword; // CRC4 ciphertext, see crc4.h
    std::optional<pal::WideString> LoginName;
    std::optional<pal::WideString> DisplayName;
    LONGLONG PhotoBytesQuota = 0;
    std::optional<pal::WideString> HomeUrl;
    std::optional<pal::WideString> UploadUrl;
    std::optional<pal::WideString> GalleryTitle;
    std::optional<pal::WideString> GalleryId;

    friend bool operator==(const PublisherState&, const PublisherState&) = default;
};

// Reads the record from the stream's current position. A missing version
// byte, or one below 1 as a signed byte, reads nothing more and only sets
// PhotoBytesQuota to 0 (a stream whose Read fails throws that failure). Otherwise the fields are read in order; the
// first failing field ends the load, throwing pal::HResultError with its code (state_stream.h); that field is null and
// the stream is back where it began, fields before it keep their new values and fields after it are untouched.
void LoadState(IStream* stream, PublisherState& state);

// Rewrites the whole stream: seek to 0, truncate, version byte 1, the nine
// fields. The first failing call ends the save, throwing its code.
void SaveState(IStream* stream, const PublisherState& state);

} // namespace orvana
