#include "pal/wic/icc_profile_segments.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string_view>

namespace pal::wic {

namespace {

constexpr std::string_view kIccSignature("ICC_PROFILE\0", 12);
constexpr std::size_t kChunkHeader = kIccSignature.size() + 2;
// 65533 payload bytes a segment may hold, less signature, sequence number and count.
constexpr std::size_t kMaxChunk = 65519;

} // namespace

bool IsIccSegment(const JpegSegment& segment) noexcept
{
    return segment.IsApp(2) && segment.HasSignature(kIccSignature) && segment.payload.size() >= kChunkHeader;
}

std::optional<std::vector<std::uint8_t>> AssembleIccProfile(std::span<const JpegSegment> header)
{
    std::map<int, std::span<const std::uint8_t>> chunks;
    int count = 0;
    for (const JpegSegment& segment : header) {
        if (!IsIccSegment(segment)) continue;
        const int sequence = segment.payload[kIccSignature.size()];
        count = segment.payload[kIccSignature.size() + 1];
        if (sequence == 0 || !chunks.emplace(sequence, segment.payload.subspan(kChunkHeader)).second)
            return std::nullopt;
    }
    if (chunks.empty() || static_cast<int>(chunks.size()) != count || chunks.rbegin()->first != count)
        return std::nullopt;
    std::vector<std::uint8_t> profile;
    for (const auto& [sequence, data] : chunks)
        profile.insert(profile.end(), data.begin(), data.end());
    return profile;
}

std::vector<OwnedSegment> IccProfileSegments(std::span<const std::uint8_t> profile)
{
    const std::size_t count = (profile.size() + kMaxChunk - 1) / kMaxChunk;
    if (count > 255) throw std::length_error("an ICC profile spans at most 255 segments");
    std::vector<OwnedSegment> segments;
    for (std::size_t i = 0; i < count; ++i) {
        const auto data = profile.subspan(i * kMaxChunk, std::min(kMaxChunk, profile.size() - i * kMaxChunk));
        OwnedSegment segment{0xE2, {kIccSignature.begin(), kIccSignature.end()}};
        segment.payload.push_back(static_cast<std::uint8_t>(i + 1));
        segment.payload.push_back(static_cast<std::uint8_t>(count));
        segment.payload.insert(segment.payload.end(), data.begin(), data.end());
        segments.push_back(std::move(segment));
    }
    return segments;
}

} // namespace pal::wic
