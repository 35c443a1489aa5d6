#pragma once

#include <optional>
#include <string>
#include <string_view>

// Digests and encodings of the service's login and upload checks. Byte strings
// are std::string holding raw bytes.
namespace emulator::crypto {

std::string Sha256(std::string_view first, std::string_view second = {});
std::string Md5(std::string_view data);

// Standard alphabet with "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);
// Accepts white space between groups, as base64Binary allows; nullopt for any
// other character, a wrong length or misplaced padding.
std::optional<std::string> Base64Decode(std::string_view text);

std::string RandomBytes(std::size_t count);
bool ConstantTimeEqual(std::string_view a, std::string_view b);
// Overwrites the buffer before it is released.
void Wipe(std::string& secret);

} // namespace emulator::crypto
