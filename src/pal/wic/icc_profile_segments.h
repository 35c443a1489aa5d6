// ICC profiles in JPEG files: split over APP2 "ICC_PROFILE" segments, each
// with its sequence number and the count of chunks.
#pragma once

#include "pal/wic/jpeg_segments.h"

#include <optional>

namespace pal::wic {

// The profile put together from the APP2 chunks in sequence order; null when
// there are none or the chunks do not add up (a number missing or twice).
std::optional<std::vector<std::uint8_t>> AssembleIccProfile(std::span<const JpegSegment> header);

bool IsIccSegment(const JpegSegment& segment) noexcept;

// The APP2 segments that carry profile, at most 65519 bytes of it in each.
std::vector<OwnedSegment> IccProfileSegments(std::span<const std::uint8_t> profile);

} // namespace pal::wic
