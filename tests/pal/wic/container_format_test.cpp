// The codec a picture belongs to comes from its bytes, not its name.
#include "pal/wic/container_format.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using pal::wic::ContainerFormat;

ContainerFormat Detect(const std::string& bytes)
{
    return pal::wic::DetectContainer(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(ContainerFormat, TellsEachKindByItsSignatureAndNothingElse)
{
    EXPECT_EQ(Detect(std::string("\xFF\xD8\xFF\xE0", 4)), ContainerFormat::Jpeg);
    EXPECT_EQ(Detect(std::string("\x89PNG\r\n\x1A\n\0\0", 10)), ContainerFormat::Png);
    EXPECT_EQ(Detect("GIF89a...."), ContainerFormat::Gif);
    EXPECT_EQ(Detect("GIF87a...."), ContainerFormat::Gif);
    EXPECT_EQ(Detect(std::string("II*\0\x08\0\0\0", 8)), ContainerFormat::Tiff);
    EXPECT_EQ(Detect(std::string("MM\0*\0\0\0\x08", 8)), ContainerFormat::Tiff);
    EXPECT_EQ(Detect(std::string("BM") + std::string(12, '\0')), ContainerFormat::Bmp);

    EXPECT_EQ(Detect(""), ContainerFormat::Unknown);
    EXPECT_EQ(Detect(std::string("\xFF\xD8", 2)), ContainerFormat::Unknown) << "too short to be sure";
    EXPECT_EQ(Detect("\x89PNG\r\n"), ContainerFormat::Unknown);
    EXPECT_EQ(Detect("GIF90a"), ContainerFormat::Unknown);
    EXPECT_EQ(Detect(std::string("II\0*", 4)), ContainerFormat::Unknown) << "byte order and magic disagree";
    EXPECT_EQ(Detect("BM"), ContainerFormat::Unknown);
    EXPECT_EQ(Detect("<html>"), ContainerFormat::Unknown);
}

} // namespace
