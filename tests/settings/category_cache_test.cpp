// The category cache in the settings key: filling the three lists from it,
// remembering and restoring choices, and downloading it from the emulator.
#include "emulator/categories.h"
#include "pal/registry_key.h"
#include "settings/category_cache.h"
#include "settings/settings_store.h"
#include "tests/support/emulated_service.h"
#include "tests/support/plain_drop_down_list.h"
#include "tests/support/registry_tree.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

namespace {

using testing_support::PlainDropDownList;

const std::u16string kCachePath = std::u16string(orvana::kSettingsKeyPath) + u"\\Cache";

pal::RegKey CreateKey(const std::u16string& path)
{
    pal::RegKey key;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             key.ReleaseAndGetAddressOf(), nullptr));
    return key;
}

std::optional<std::u16string> StoredString(const std::u16string& path, const char16_t* name)
{
    pal::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS)
        return std::nullopt;
    char16_t buffer[64] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return buffer;
}

class CategoryLists : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        pal::RegKey cache = CreateKey(kCachePath);
        for (const auto& [code, name] : {std::pair{u"001000000", u"Animals"},
                                         {u"001001000", u"Birds"},
                                         {u"001001001", u"Birds of Prey"},
                                         {u"001001002", u"Songbirds"},
                                         {u"001002000", u"Mammals"},
                                         {u"002000000", u"Architecture"},
                                         {u"002001000", u"Buildings"},
                                         {u"003000000", u""}}) // no name: never listed
            pal::SetStringValue(cache.Get(), code, name);
    }

    void Fill(PlainDropDownList& list, orvana::OptionalPart category, orvana::OptionalPart sub,
              orvana::OptionalPart select = std::nullopt)
    {
        pal::RegKey cache = orvana::OpenCategoryCache();
        ASSERT_TRUE(cache);
        orvana::FillCategoryCombo(list, category, sub, cache.Get(), select);
    }

    PlainDropDownList category_{true}, sub_{true}, details_{true};
};

TEST_F(CategoryLists, EachLevelListsItsOwnEntriesSortedAfterNone)
{
    Fill(category_, std::nullopt, std::nullopt);
    EXPECT_EQ((std::vector<std::u16string>{u"<None>", u"Animals", u"Architecture"}), category_.Texts());
    EXPECT_EQ(u"000000000", category_.Data(0));
    EXPECT_EQ(u"002000000", category_.Data(2));

    Fill(sub_, u"001", std::nullopt);
    EXPECT_EQ((std::vector<std::u16string>{u"<None>", u"Birds", u"Mammals"}), sub_.Texts())
        << "the category itself (001000000) matches 001???000 but is excluded";

    Fill(details_, u"001", u"001");
    EXPECT_EQ((std::vector<std::u16string>{u"<None>", u"Birds of Prey", u"Songbirds"}), details_.Texts());

    Fill(details_, u"001", u"002");
    EXPECT_EQ((std::vector<std::u16string>{u"<None>"}), details_.Texts()) << "refilled, not appended to";
    EXPECT_EQ(PlainDropDownList::kNone, details_.Selected());
}

TEST_F(CategoryLists, SelectsTheEntryOfTheGivenPartOrTheFirstItem)
{
    Fill(category_, std::nullopt, std::nullopt, u"002");
    EXPECT_EQ(u"Architecture", category_.SelectedText());
    Fill(details_, u"001", u"001", u"002");
    EXPECT_EQ(u"Songbirds", details_.SelectedText()) << "the selection follows its item through the sorting";
    Fill(sub_, u"001", std::nullopt, u"999");
    EXPECT_EQ(u"<None>", sub_.SelectedText());
}

TEST_F(CategoryLists, RemembersEachLevelUnderItsParent)
{
    const std::u16string subCategories = std::u16string(orvana::kSettingsKeyPath) + u"\\Cache\\SubCategories";
    Fill(category_, std::nullopt, std::nullopt, u"001");
    orvana::RememberCategoryChoice(category_, orvana::kLastCategoryValue, std::nullopt, std::nullopt);
    EXPECT_EQ(u"001000000", StoredString(orvana::kSettingsKeyPath, u"LastCategory"));

    Fill(sub_, u"001", std::nullopt, u"001");
    orvana::RememberCategoryChoice(sub_, u"001000000", orvana::kSubCategoriesKey, std::nullopt);
    EXPECT_EQ(u"001001000", StoredString(subCategories, u"001000000"));

    Fill(details_, u"001", u"001", u"002");
    orvana::RememberCategoryChoice(details_, u"001001000", orvana::kSubCategoriesKey, u"001000000");
    EXPECT_EQ(u"001001002", StoredString(subCategories + u"\\001000000", u"001001000"));

    // Restoring into freshly filled lists selects the same entries.
    PlainDropDownList category{true}, details{true};
    Fill(category, std::nullopt, std::nullopt);
    EXPECT_EQ(u"001000000", orvana::RestoreCategoryChoice(category, orvana::kLastCategoryValue, u"<None>", std::nullopt,
                                                          std::nullopt));
    EXPECT_EQ(u"Animals", category.SelectedText());
    Fill(details, u"001", u"001");
    EXPECT_EQ(u"001001002",
              orvana::RestoreCategoryChoice(details, u"001001000", u"<None>", orvana::kSubCategoriesKey, u"001000000"));
    EXPECT_EQ(u"Songbirds", details.SelectedText());
}

TEST_F(CategoryLists, NoneIsRememberedAndNoSelectionIsForgotten)
{
    Fill(category_, std::nullopt, std::nullopt);
    category_.Select(0);
    orvana::RememberCategoryChoice(category_, orvana::kLastCategoryValue, std::nullopt, std::nullopt);
    EXPECT_EQ(u"000000000", StoredString(orvana::kSettingsKeyPath, u"LastCategory"));

    category_.Select(PlainDropDownList::kNone);
    orvana::RememberCategoryChoice(category_, orvana::kLastCategoryValue, std::nullopt, std::nullopt);
    EXPECT_FALSE(StoredString(orvana::kSettingsKeyPath, u"LastCategory"));
}

TEST_F(CategoryLists, AChoiceNoLongerListedSelectsTheDefaultButIsStillAnswered)
{
    pal::SetStringValue(CreateKey(orvana::kSettingsKeyPath).Get(), u"LastCategory", u"009000000");
    Fill(category_, std::nullopt, std::nullopt);
    EXPECT_EQ(u"009000000", orvana::RestoreCategoryChoice(category_, orvana::kLastCategoryValue, u"<none>",
                                                          std::nullopt, std::nullopt));
    EXPECT_EQ(u"<None>", category_.SelectedText()) << "the default text matches as a prefix, in any case";

    Fill(sub_, u"002", std::nullopt);
    EXPECT_EQ(u"", orvana::RestoreCategoryChoice(sub_, u"002000000", u"Nothing like it", orvana::kSubCategoriesKey,
                                                 std::nullopt));
    EXPECT_EQ(u"<None>", sub_.SelectedText()) << "no key, no default match: the first item";
}

class CategoryDownload : public testing_support::EmulatedServiceTest {
  protected:
    void SetUp() override
    {
        EmulatedServiceTest::SetUp();
        ASSERT_EQ(S_OK, proxy_->Authenticate(u"demo", u"zenfolio-demo"));
        CreateKey(orvana::kSettingsKeyPath);
    }
    std::size_t CategoryCalls() const
    {
        std::size_t calls = 0;
        for (const auto& request : emulator_->Requests())
            if (request.Header("SOAPAction").value_or("").find("GetCategories") != std::string::npos) ++calls;
        return calls;
    }
};

TEST_F(CategoryDownload, FillsTheCacheOnceWithNineDigitNames)
{
    orvana::RefreshCategoryCache(proxy_.Get());
    EXPECT_EQ(1u, CategoryCalls());
    // Every entry the service lists, the last one too, as a string value with its terminator.
    testing_support::Lines expected;
    for (const emulator::Category& category : emulator::Categories()) {
        char name[16];
        std::snprintf(name, sizeof name, "%09lld", static_cast<long long>(category.code));
        expected.push_back(std::string(" ") + name + " = \"" + std::string(category.display_name) + "\"");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, testing_support::TreeOf(HKEY_CURRENT_USER, kCachePath.c_str()));

    orvana::RefreshCategoryCache(proxy_.Get());
    EXPECT_EQ(1u, CategoryCalls()) << "a present cache is never downloaded again";
}

TEST_F(CategoryDownload, AFailedDownloadLeavesNoCacheSoTheNextTriesAgain)
{
    emulator_->InjectFailure(emulator::Failure::ServerFault, "GetCategories", 1);
    orvana::RefreshCategoryCache(proxy_.Get());
    EXPECT_FALSE(orvana::OpenCategoryCache());
    orvana::RefreshCategoryCache(proxy_.Get());
    EXPECT_TRUE(orvana::OpenCategoryCache());
    EXPECT_EQ(2u, CategoryCalls());
}

} // namespace
