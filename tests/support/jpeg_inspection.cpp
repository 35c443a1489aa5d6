#include "tests/support/jpeg_inspection.h"

#include "pal/wic/jpeg_segments.h"

#include <algorithm>
#include <exiv2/image.hpp>
#include <jpeglib.h>

namespace jpeg_inspection {

namespace {

struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    explicit Decompressor(const Bytes& file)
    {
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_save_markers(&info, JPEG_APP0 + 14, 0xFFFF);
        jpeg_read_header(&info, TRUE);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

} // namespace

Bytes LibjpegBgr(const Bytes& file)
{
    Decompressor d(file);
    d.info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d.info);
    const std::size_t stride = static_cast<std::size_t>(d.info.output_width) * 3;
    Bytes pixels(stride * d.info.output_height);
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW rows[] = {pixels.data() + d.info.output_scanline * stride};
        jpeg_read_scanlines(&d.info, rows, 1);
    }
    jpeg_finish_decompress(&d.info);
    return pixels;
}

FrameFacts ReadFrameFacts(const Bytes& file)
{
    Decompressor d(file);
    FrameFacts facts;
    facts.width = d.info.image_width;
    facts.height = d.info.image_height;
    facts.components = d.info.num_components;
    for (int c = 0; c < std::min(3, d.info.num_components); ++c) {
        facts.hSampling[c] = d.info.comp_info[c].h_samp_factor;
        facts.vSampling[c] = d.info.comp_info[c].v_samp_factor;
    }
    if (d.info.quant_tbl_ptrs[0])
        facts.lumaTable.assign(d.info.quant_tbl_ptrs[0]->quantval, d.info.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
    facts.progressive = d.info.progressive_mode;
    facts.restartInterval = d.info.restart_interval;
    facts.sawJfif = d.info.saw_JFIF_marker;
    facts.densityUnit = d.info.density_unit;
    facts.densityX = d.info.X_density;
    facts.densityY = d.info.Y_density;
    facts.sawAdobe = d.info.saw_Adobe_marker;
    return facts;
}

std::vector<unsigned> LibjpegLumaTable(int quality)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    info.in_color_space = JCS_RGB;
    info.input_components = 3;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    std::vector<unsigned> table(info.quant_tbl_ptrs[0]->quantval, info.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
    jpeg_destroy_compress(&info);
    return table;
}

// exiv2 0.27 hands out its images through the deprecated AutoPtr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
FileMetadata ReadWithExiv2(const Bytes& file)
{
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
    image->readMetadata();
    return FileMetadata{image->exifData(), image->xmpData(), image->iptcData(), image->comment()};
}
#pragma GCC diagnostic pop

Bytes PictureData(const Bytes& file)
{
    const auto layout = pal::wic::ParseJpegSegments(file);
    if (!layout) return {};
    return Bytes(layout->picture.begin(), layout->picture.end());
}

std::vector<std::uint8_t> SegmentMarkers(const Bytes& file)
{
    std::vector<std::uint8_t> markers;
    if (const auto layout = pal::wic::ParseJpegSegments(file))
        for (const auto& segment : layout->header)
            markers.push_back(segment.marker);
    return markers;
}

int CountSegments(const Bytes& file, std::uint8_t marker, std::string_view signature)
{
    int count = 0;
    if (const auto layout = pal::wic::ParseJpegSegments(file))
        for (const auto& segment : layout->header)
            count += segment.marker == marker && segment.HasSignature(signature);
    return count;
}

Bytes IccProfile(const Bytes& file)
{
    auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
    image->readMetadata();
    if (!image->iccProfileDefined()) return {};
    const Exiv2::DataBuf* icc = image->iccProfile();
    return Bytes(icc->pData_, icc->pData_ + icc->size_);
}

Bytes WithCorruptExif(const Bytes& file)
{
    // Put together as text: gcc 12 warns falsely about inserting behind the two SOI bytes.
    const std::string broken("Exif\0\0garbage, no TIFF header", 30);
    const std::string segment = std::string("\xFF\xE1\0", 3) + static_cast<char>(broken.size() + 2) + broken;
    const std::string out =
        std::string(file.begin(), file.begin() + 2) + segment + std::string(file.begin() + 2, file.end());
    return Bytes(out.begin(), out.end());
}

} // namespace jpeg_inspection
