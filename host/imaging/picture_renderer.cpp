#include "host/imaging/picture_renderer.h"

#include "contract/host_interfaces.h"
#include "host/imaging/bgr_bitmap.h"
#include "host/imaging/raw_decoder.h"
#include "host/imaging/vips_support.h"
#include "pal/hresult_error.h"
#include "pal/object.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace host::imaging {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr int kOpaqueWhite = 255;

struct Resolution {
    double dpiX = 0;
    double dpiY = 0;
};

struct GFreeDeleter {
    void operator()(void* memory) const noexcept { g_free(memory); }
};

// libvips reports a default resolution for files without one; only a loader
// that found a unit in the file records it.
Resolution ResolutionOf(VipsImage* image)
{
    if (vips_image_get_typeof(image, VIPS_META_RESOLUTION_UNIT) == 0) return {};
    return {image->Xres * kMillimetresPerInch, image->Yres * kMillimetresPerInch};
}

VipsImagePtr Thumbnail(const std::filesystem::path& path, unsigned target, bool upright, bool toSrgb)
{
    const int width = static_cast<int>(target);
    const gboolean noRotate = upright ? FALSE : TRUE;
    // The fallback profiles stay unset: a picture without a profile is taken
    // as sRGB and left alone.
    return RunVips([&](VipsImage** out) {
        return toSrgb ? vips_thumbnail(path.c_str(), out, width, "height", width, "size", VIPS_SIZE_DOWN, "no_rotate",
                                       noRotate, "export_profile", "srgb", nullptr)
                      : vips_thumbnail(path.c_str(), out, width, "height", width, "size", VIPS_SIZE_DOWN, "no_rotate",
                                       noRotate, nullptr);
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
    std::unique_ptr<void, GFreeDeleter> memory(vips_image_write_to_memory(image.get(), &size));
    if (!memory) {
        vips_error_clear();
        throw pal::HResultError(WINCODEC_ERR_BADIMAGE);
    }
    const UINT width = static_cast<UINT>(vips_image_get_width(image.get()));
    const UINT height = static_cast<UINT>(vips_image_get_height(image.get()));
    std::vector<std::uint8_t> pixels(size);
    const auto* rgb = static_cast<const std::uint8_t*>(memory.get());
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        pixels[i] = rgb[i + 2];
        pixels[i + 1] = rgb[i + 1];
        pixels[i + 2] = rgb[i];
    }
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
    // The header alone: its size, whether it carries a profile and its resolution.
    VipsImage* header = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    const VipsImagePtr opened = TakeVipsResult(header ? 0 : -1, header);
    const Resolution resolution = ResolutionOf(opened.get());
    const bool hasProfile = vips_image_get_typeof(opened.get(), VIPS_META_ICC_NAME) != 0;
    const unsigned longSide = static_cast<unsigned>(std::max(opened->Xsize, opened->Ysize));
    const unsigned target = longEdge == 0 ? longSide : std::min(longEdge, longSide);
    const bool toSrgb = (flags & RENDER_CONVERT_TO_SRGB) != 0 && hasProfile;
    return ToBitmap(Thumbnail(path, target, upright, toSrgb), resolution);
}

} // namespace host::imaging
