#include "host/imaging/picture_renderer.h"

#include "contract/host_interfaces.h"
#include "host/imaging/bgr_bitmap.h"
#include "host/imaging/file_resolution.h"
#include "host/imaging/raw_decoder.h"
#include "host/imaging/vips_support.h"
#include "pal/hresult_error.h"
#include "pal/object.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace host::imaging {

namespace {

constexpr int kOpaqueWhite = 255;

struct Header {
    bool hasProfile = false;
    unsigned longSide = 0;
};

// The header alone (libvips reads no pixels for it), closed before the
// thumbnail opens the file again.
Header ReadHeader(const std::filesystem::path& path)
{
    const VipsSourcePtr source = OpenVipsSource(path.c_str());
    VipsImage* opened = vips_image_new_from_source(source.get(), "", "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    const VipsImagePtr image = TakeVipsResult(opened ? 0 : -1, opened);
    return {vips_image_get_typeof(image.get(), VIPS_META_ICC_NAME) != 0,
            static_cast<unsigned>(std::max(image->Xsize, image->Ysize))};
}

VipsImagePtr Thumbnail(const std::filesystem::path& path, unsigned target, bool upright, bool toSrgb)
{
    const int width = static_cast<int>(target);
    const gboolean noRotate = upright ? FALSE : TRUE;
    // The fallback profiles stay unset: a picture without a profile is taken
    // as sRGB and left alone.
    const VipsSourcePtr source = OpenVipsSource(path.c_str());
    return RunVips([&](VipsImage** out) {
        return toSrgb ? vips_thumbnail_source(source.get(), out, width, "height", width, "size", VIPS_SIZE_DOWN,
                                              "no_rotate", noRotate, "export_profile", "srgb", nullptr)
                      : vips_thumbnail_source(source.get(), out, width, "height", width, "size", VIPS_SIZE_DOWN,
                                              "no_rotate", noRotate, nullptr);
    });
}

VipsImagePtr ThumbnailOf(VipsImage* image, unsigned target)
{
    const int width = static_cast<int>(target);
    return RunVips([&](VipsImage** out) {
        return vips_thumbnail_image(image, out, width, "height", width, "size", VIPS_SIZE_DOWN, "no_rotate", TRUE,
                                    nullptr);
    });
}

// Gray, 16-bit and alpha pictures become three 8-bit bands, alpha laid over white.
struct ArrayUnref {
    void operator()(VipsArrayDouble* array) const noexcept { vips_area_unref(VIPS_AREA(array)); }
};

VipsImagePtr ToEightBitRgb(VipsImagePtr image)
{
    if (image->Bands < 3 || image->BandFmt != VIPS_FORMAT_UCHAR) {
        image = RunVips(
            [&](VipsImage** out) { return vips_colourspace(image.get(), out, VIPS_INTERPRETATION_sRGB, nullptr); });
    }
    if (vips_image_hasalpha(image.get())) {
        const std::unique_ptr<VipsArrayDouble, ArrayUnref> white(
            vips_array_double_newv(3, double{kOpaqueWhite}, double{kOpaqueWhite}, double{kOpaqueWhite}));
        image = RunVips([&](VipsImage** out) { return vips_flatten(image.get(), out, "background", white.get(), nullptr); });
    }
    if (image->Bands > 3)
        image = RunVips([&](VipsImage** out) { return vips_extract_band(image.get(), out, 0, "n", 3, nullptr); });
    if (image->BandFmt != VIPS_FORMAT_UCHAR)
        image = RunVips([&](VipsImage** out) { return vips_cast(image.get(), out, VIPS_FORMAT_UCHAR, nullptr); });
    return image;
}

pal::ComPtr<IWICBitmapSource> ToBitmap(VipsImagePtr image, Resolution resolution)
{
    image = ToEightBitRgb(std::move(image));
    size_t size = 0;
    PixelBuffer pixels(static_cast<std::uint8_t*>(vips_image_write_to_memory(image.get(), &size)),
                       [](std::uint8_t* memory) { g_free(memory); });
    if (!pixels) {
        vips_error_clear();
        throw pal::HResultError(WINCODEC_ERR_BADIMAGE);
    }
    const UINT width = static_cast<UINT>(vips_image_get_width(image.get()));
    const UINT height = static_cast<UINT>(vips_image_get_height(image.get()));
    image.reset();
    std::uint8_t* const bytes = pixels.get();
    for (std::size_t i = 0; i + 2 < size; i += 3) std::swap(bytes[i], bytes[i + 2]); // RGB to BGR in place
    return pal::MakeComObject<BgrBitmap, IWICBitmapSource>(width, height, std::move(pixels), resolution.dpiX,
                                                          resolution.dpiY);
}

} // namespace

pal::ComPtr<IWICBitmapSource> RenderPicture(const std::filesystem::path& path, PictureFamily family,
                                            unsigned longEdge, ULONG flags)
{
    EnsureVips();
    const bool upright = (flags & RENDER_ROTATE_BY_ORIENTATION) != 0;
    if (family == PictureFamily::Raw) {
        // LibRaw's output is sRGB already; the flip is its own.
        DevelopedRaw developed = DevelopRaw(path, upright, longEdge);
        VipsImagePtr image = std::move(developed.image);
        if (longEdge != 0) image = ThumbnailOf(image.get(), longEdge);
        return ToBitmap(std::move(image), {});
    }
    const Header header = ReadHeader(path);
    const unsigned target = longEdge == 0 ? header.longSide : std::min(longEdge, header.longSide);
    const bool toSrgb = (flags & RENDER_CONVERT_TO_SRGB) != 0 && header.hasProfile;
    return ToBitmap(Thumbnail(path, target, upright, toSrgb), ReadFileResolution(path, family));
}

} // namespace host::imaging
