// JPEG segments: taken apart, metadata replaced, put together again, and the
// pixels decoded from the result are the source's, baseline and progressive.
#include "pal/wic/jpeg_segments.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(bool progressive)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 48;
    info.image_height = 32;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.restart_interval = 2;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::string exif("Exif\0\0MM\0*", 10), icc("ICC_PROFILE\0\1\1fake", 18);
    jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()), exif.size());
    jpeg_write_marker(&info, JPEG_APP0 + 2, reinterpret_cast<const JOCTET*>(icc.data()), icc.size());
    jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>("note"), 4);
    std::vector<JSAMPLE> row(48 * 3);
    for (JDIMENSION y = 0; y < 32; ++y) {
        for (std::size_t x = 0; x < row.size(); ++x)
            row[x] = static_cast<JSAMPLE>(x * 5 + y * 7);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    free(buffer);
    return out;
}

Bytes Decode(const Bytes& file)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    Bytes pixels(static_cast<std::size_t>(info.output_width) * info.output_height * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[] = {pixels.data() +
                           static_cast<std::size_t>(info.output_scanline) * info.output_width * info.output_components};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

TEST(JpegSegments, NewMetadataAroundTheSamePictureDataDecodesToTheSamePixels)
{
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const Bytes source = Encode(progressive);
        const auto layout = pal::wic::ParseJpegSegments(source);
        ASSERT_TRUE(layout);
        std::string kinds;
        std::vector<pal::wic::JpegSegment> kept;
        for (const auto& segment : layout->header) {
            kinds += segment.IsPicture() ? 'P' : 'M';
            if (segment.IsPicture()) kept.push_back(segment);
        }
        // JFIF, EXIF, ICC, comment, then the tables, restart interval and frame header.
        EXPECT_EQ(kinds.substr(0, 4), "PMMM") << kinds;
        EXPECT_EQ(kinds.find('M', 4), std::string::npos) << kinds;
        EXPECT_TRUE(layout->header[1].HasSignature(std::string_view("Exif\0\0", 6)));
        EXPECT_TRUE(layout->header[2].IsApp(2));
        EXPECT_EQ(layout->picture.front(), 0xFF);
        EXPECT_EQ(layout->picture[1], 0xDA) << "the picture data starts at the first scan";

        const Bytes xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '\0', 'x'};
        kept.insert(kept.begin() + 1, pal::wic::JpegSegment{0xE1, xmp});
        Bytes spliced = pal::wic::AssembleJpegHead(kept);
        spliced.insert(spliced.end(), layout->picture.begin(), layout->picture.end());
        EXPECT_EQ(Decode(spliced), Decode(source));
        const auto again = pal::wic::ParseJpegSegments(spliced);
        ASSERT_TRUE(again);
        EXPECT_TRUE(
            std::equal(again->picture.begin(), again->picture.end(), layout->picture.begin(), layout->picture.end()))
            << "carried over byte for byte";
        EXPECT_EQ(again->header.size(), kept.size());
    }
}

TEST(JpegSegments, RefusesWhatIsNoJpegOrRunsPastItsEnd)
{
    const Bytes source = Encode(false);
    const auto cut = [&](std::size_t size) { return Bytes(source.begin(), source.begin() + size); };
    EXPECT_FALSE(pal::wic::ParseJpegSegments(Bytes{0x89, 'P', 'N', 'G'}));
    EXPECT_FALSE(pal::wic::ParseJpegSegments(cut(3)));
    EXPECT_FALSE(pal::wic::ParseJpegSegments(cut(30))) << "a segment cut short";
    Bytes noScan = source;
    const auto layout = pal::wic::ParseJpegSegments(source);
    noScan.resize(source.size() - layout->picture.size());
    EXPECT_FALSE(pal::wic::ParseJpegSegments(noScan));
    Bytes garbage = source;
    ASSERT_EQ(garbage[2 + 2 + 16], 0xFF);
    garbage[2 + 2 + 16] = 0x12; // where the second segment's marker stands, after SOI and the JFIF header
    EXPECT_FALSE(pal::wic::ParseJpegSegments(garbage));
    Bytes scanFirst = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0x00, 0xFF, 0xD9};
    EXPECT_FALSE(pal::wic::ParseJpegSegments(scanFirst)) << "a scan before any frame header";

    const Bytes big(70000, 0);
    const pal::wic::JpegSegment tooLong{0xE1, big};
    EXPECT_THROW(pal::wic::AssembleJpegHead(std::span(&tooLong, 1)), std::length_error);
}

} // namespace
