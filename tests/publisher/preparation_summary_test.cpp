// The sentence that tells the user how JPEG pictures will be prepared.
#include "publisher/preparation_summary.h"

#include <gtest/gtest.h>

namespace {

using orvana::ImageFormatSettings;

ImageFormatSettings Jpeg(UINT mode, std::u16string sizeText = u"Original")
{
    ImageFormatSettings settings;
    settings.Mode = mode;
    settings.SizeText = std::move(sizeText);
    return settings;
}

ImageFormatSettings WithoutMetadata(ImageFormatSettings settings)
{
    settings.WriteCopyright = settings.WriteEXIF = settings.WriteXMP = settings.WriteGPS = settings.WriteIPTC = 0;
    return settings;
}

TEST(PreparationSummary, FilesSentIntactSayNothingMore)
{
    EXPECT_EQ(u"Send JPEG files intact", orvana::PreparationSummary(Jpeg(orvana::PM_FILE_INTACT, u"1,600 px")));
}

TEST(PreparationSummary, NamesTheMetadataThatGoesAlongInItsOrder)
{
    EXPECT_EQ(u"Send JPEG pixels intact, send copyright, EXIF, rating, GPS, IPTC data",
              orvana::PreparationSummary(Jpeg(orvana::PM_PIXELS_INTACT)));
    ImageFormatSettings some = WithoutMetadata(Jpeg(orvana::PM_PIXELS_INTACT, u"24 cm print"));
    some.WriteCopyright = some.WriteGPS = 1;
    EXPECT_EQ(u"Send JPEG pixels intact, send copyright, GPS data", orvana::PreparationSummary(some))
        << "pixels intact are never resized";
    some.WriteCopyright = 0;
    EXPECT_EQ(u"Send JPEG pixels intact, send GPS data", orvana::PreparationSummary(some));
    EXPECT_EQ(u"Send JPEG pixels intact", orvana::PreparationSummary(WithoutMetadata(Jpeg(orvana::PM_PIXELS_INTACT))));
}

TEST(PreparationSummary, ResamplingNamesTheSizeUnlessItIsTheOriginal)
{
    const ImageFormatSettings bare = WithoutMetadata(Jpeg(orvana::PM_RESAMPLE));
    EXPECT_EQ(u"Resample", orvana::PreparationSummary(bare));
    EXPECT_EQ(u"Resample", orvana::PreparationSummary(WithoutMetadata(Jpeg(orvana::PM_RESAMPLE, u"ORIGINAL"))));
    EXPECT_EQ(u"Resample, downsize to 1,600 px",
              orvana::PreparationSummary(WithoutMetadata(Jpeg(orvana::PM_RESAMPLE, u"1,600 px"))));
    EXPECT_EQ(u"Resample, downscale for 12\" print",
              orvana::PreparationSummary(WithoutMetadata(Jpeg(orvana::PM_RESAMPLE, u"12\" print"))));
    ImageFormatSettings full = Jpeg(orvana::PM_RESAMPLE, u"24 cm print");
    full.WriteEXIF = full.WriteXMP = full.WriteIPTC = 0;
    EXPECT_EQ(u"Resample, send copyright, GPS data, downscale for 24 cm print", orvana::PreparationSummary(full));
}

} // namespace
