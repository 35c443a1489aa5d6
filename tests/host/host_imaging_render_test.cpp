// RenderImage's pixel side, through the host object as the component calls
// it: each family decoded from real files, turned upright, converted to sRGB,
// scaled down (never up), and the extension's family checked against the bytes.
#include "contract/host_image_info.h"
#include "contract/host_interfaces.h"
#include "host/imaging/picture_renderer.h"
#include "tests/support/temporary_prefix.h"
#include "tests/support/test_pictures.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using test_pictures::Rgb;

struct Decoded {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> bgr;
    Rgb At(UINT x, UINT y) const
    {
        const std::size_t i = (std::size_t{y} * width + x) * 3;
        return {bgr[i + 2], bgr[i + 1], bgr[i]};
    }
};

Decoded Read(IWICBitmapSource* bitmap)
{
    Decoded decoded;
    EXPECT_EQ(S_OK, bitmap->GetSize(&decoded.width, &decoded.height));
    decoded.bgr.resize(std::size_t{decoded.width} * decoded.height * 3);
    EXPECT_EQ(S_OK, bitmap->CopyPixels(nullptr, decoded.width * 3, static_cast<UINT>(decoded.bgr.size()),
                                       decoded.bgr.data()));
    return decoded;
}

class RenderPictures : public testing_support::PrefixTest {
  protected:
    Decoded Render(const std::filesystem::path& file, host::imaging::PictureFamily family, unsigned longEdge, ULONG flags)
    {
        return Read(host::imaging::RenderPicture(file, family, longEdge, flags).Get());
    }
    std::filesystem::path Folder() const { return prefix_.Path(); }
};

TEST_F(RenderPictures, Experiment)
{
    test_pictures::JpegOptions options;
    options.solid = Rgb{50, 180, 60};
    options.adobeRgb = true;
    const auto file = test_pictures::WriteJpeg(Folder() / "adobe.jpg", options);
    for (ULONG flags : {0u, 2u}) {
        const Decoded d = Render(file, host::imaging::PictureFamily::Jpeg, 0, flags);
        const Rgb c = d.At(10, 10);
        printf("flags %lu: %d %d %d\n", static_cast<unsigned long>(flags), c.r, c.g, c.b);
    }
    const Rgb e = test_pictures::AdobeRgbToSrgb(Rgb{50, 180, 60});
    printf("expected %d %d %d\n", e.r, e.g, e.b);
}

} // namespace
