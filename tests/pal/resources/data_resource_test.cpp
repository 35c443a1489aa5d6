#include "pal/resources/resources.h"
#include "pal/this_module.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> FileBytes(const std::string& name)
{
    std::ifstream in(std::string(PAL_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<BYTE> ResourceBytes(HRSRC resource)
{
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(pal::ThisModule(), resource)));
    return {data, data + SizeofResource(pal::ThisModule(), resource)};
}

TEST(FindResource, FindsATypeNameInAnyCaseAndANumberInEitherForm)
{
    const HRSRC byNumber = FindResourceW(pal::ThisModule(), MAKEINTRESOURCEW(1001), u"SOAP");
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(FindResourceW(pal::ThisModule(), MAKEINTRESOURCEW(1001), u"soap"), byNumber);
    EXPECT_EQ(FindResourceW(pal::ThisModule(), u"#1001", u"Soap"), byNumber);
    EXPECT_EQ(ResourceBytes(byNumber), FileBytes("template.xml"));
}

TEST(FindResource, KeepsEveryByteOfABinaryFileAndLoadsAnEmptyOne)
{
    const HRSRC resource = FindResourceW(pal::ThisModule(), MAKEINTRESOURCEW(7), u"BINARY");
    ASSERT_NE(resource, nullptr);
    const std::vector<BYTE> expected = FileBytes("bytes.bin");
    ASSERT_EQ(expected.size(), 12u);
    EXPECT_EQ(ResourceBytes(resource), expected);

    const HRSRC empty = FindResourceW(pal::ThisModule(), MAKEINTRESOURCEW(1), u"EMPTY");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SizeofResource(pal::ThisModule(), empty), 0u);
    EXPECT_NE(LoadResource(pal::ThisModule(), empty), nullptr);
}

TEST(FindResource, AnswersNullForAnythingNotInTheTableAndNullHandlesLoadNothing)
{
    const HMODULE module = pal::ThisModule();
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1002), u"SOAP"), nullptr);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1001), u"SOAPS"), nullptr);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1001), MAKEINTRESOURCEW(10)), nullptr);
    EXPECT_EQ(FindResourceW(module, u"template", u"SOAP"), nullptr);
    EXPECT_EQ(FindResourceW(module, u"#", u"SOAP"), nullptr);
    EXPECT_EQ(FindResourceW(module, u"#1001x", u"SOAP"), nullptr);
    EXPECT_EQ(FindResourceW(module, u"#66537", u"SOAP"), nullptr) << "66537 is 1001 past 16 bits";
    EXPECT_EQ(FindResourceW(module, nullptr, u"SOAP"), nullptr);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1001), nullptr), nullptr);
    EXPECT_EQ(LoadResource(module, nullptr), nullptr) << "and a null handle loads nothing";
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_EQ(SizeofResource(module, nullptr), 0u);
}

} // namespace
