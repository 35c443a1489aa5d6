// Small file helpers of the host: appending log lines, and replacing a file
// atomically so a crash never leaves half of it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Appends one line (a newline is added) with a single write, so lines from
// several processes do not interleave.
void AppendLine(const std::filesystem::path& file, std::string_view line);

// The whole content, or nothing when the file does not exist.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Writes a sibling temporary file, flushes it to disk and renames it over the
// target. Throws std::system_error on failure; the old content then stays.
void ReplaceFileAtomically(const std::filesystem::path& file, std::string_view content);

} // namespace host
