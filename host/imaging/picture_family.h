// Which decoder a picture goes to: chosen by the file's extension, as a viewer
// that picks its codec by extension does, and refused when the file's first
// bytes belong to another kind of picture.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace host::imaging {

enum class PictureFamily { Jpeg, Png, Gif, Tiff, Raw };

// The family of a path's extension (any case); nothing for extensions no decoder takes.
std::optional<PictureFamily> FamilyOfExtension(const std::filesystem::path& path);

// Whether a file starting with head can be a picture of family. Raw files are
// TIFF-based or carry one of the raw makers' own signatures.
bool HeadFitsFamily(PictureFamily family, std::span<const std::uint8_t> head) noexcept;

// The family the file's extension names, once its first bytes are checked:
// WINCODEC_ERR_COMPONENTNOTFOUND for an unknown extension, the file's open
// error when it cannot be read, WINCODEC_ERR_BADHEADER for a mismatch.
PictureFamily CheckedFamily(const std::filesystem::path& path);

} // namespace host::imaging
