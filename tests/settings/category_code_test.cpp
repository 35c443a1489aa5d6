// Nine-digit category codes: reading the service's integers, the three parts,
// the codes of the three lists' selection and the list sent with a new gallery.
#include "settings/category_code.h"
#include "tests/support/plain_drop_down_list.h"

#include <gtest/gtest.h>

namespace {

using testing_support::PlainDropDownList;

TEST(CategoryCode, ReadsTheServicesIntegerTextAsNineDigits)
{
    using orvana::CategoryCodeFromNumberText;
    EXPECT_EQ(u"000000042", CategoryCodeFromNumberText(u"42"));
    EXPECT_EQ(u"012003006", CategoryCodeFromNumberText(u"12003006"));
    EXPECT_EQ(u"012003006", CategoryCodeFromNumberText(u" \t+12003006xyz"));
    EXPECT_EQ(u"-00000042", CategoryCodeFromNumberText(u"-42"));
    EXPECT_EQ(u"000000000", CategoryCodeFromNumberText(u"abc"));
    EXPECT_EQ(u"000000000", CategoryCodeFromNumberText(u""));
    EXPECT_EQ(u"2147483647", CategoryCodeFromNumberText(u"99999999999999999999")) << "saturates, never wraps";
}

TEST(CategoryCode, CutsPartsFromTextsOfAnyLength)
{
    EXPECT_EQ(u"012", orvana::LeftPart(u"012003006"));
    EXPECT_EQ(u"003", orvana::MiddlePart(u"012003006"));
    EXPECT_EQ(u"006", orvana::RightPart(u"012003006"));
    EXPECT_EQ(u"12", orvana::LeftPart(u"12"));
    EXPECT_EQ(u"", orvana::MiddlePart(u"12"));
    EXPECT_EQ(u"12", orvana::RightPart(u"12"));
    EXPECT_EQ(u"45", orvana::MiddlePart(u"12345"));
    EXPECT_EQ(u"345", orvana::RightPart(u"12345"));
}

class CategorySelection : public ::testing::Test {
  protected:
    static void Choose(PlainDropDownList& list, const char16_t* text, const char16_t* code)
    {
        list.Select(list.AddItem(text, std::u16string(code)));
    }
    orvana::CategorySelection Codes() const { return orvana::SelectedCategoryCodes(category_, sub_, details_); }
    std::u16string ListSent() const
    {
        const auto codes = Codes();
        return orvana::ComposeCategoryList(codes.FirstLevel, codes.SecondLevel, codes.ThirdLevel);
    }

    PlainDropDownList category_{true}, sub_{true}, details_{true};
};

TEST_F(CategorySelection, NothingChosenSendsAnEmptyList)
{
    EXPECT_EQ(u"000000000", Codes().FirstLevel);
    EXPECT_EQ(u"000000000", Codes().ThirdLevel);
    EXPECT_EQ(u"", ListSent());
    Choose(category_, u"<None>", u"000000000");
    EXPECT_EQ(u"", ListSent());
}

TEST_F(CategorySelection, EachChosenLevelAddsItsCodeDeepestFirst)
{
    Choose(category_, u"Travel and Places", u"012000000");
    EXPECT_EQ(u"012000000|012000000|012000000", ListSent()) << "one level: the same code three times";

    Choose(sub_, u"Asia", u"012003000");
    EXPECT_EQ(u"012003000", Codes().SecondLevel);
    EXPECT_EQ(u"012003000|012003000|012000000", ListSent());

    Choose(details_, u"China", u"012003006");
    EXPECT_EQ(u"012003006|012003000|012000000", ListSent());
}

TEST_F(CategorySelection, TakesEachLevelFromItsOwnList)
{
    // A subcategory list still showing another category's entry contributes
    // only its middle digits.
    Choose(category_, u"Travel and Places", u"012000000");
    Choose(sub_, u"Birds", u"001001000");
    details_.Select(details_.AddItem(u"no code"));
    EXPECT_EQ(u"012001000", Codes().SecondLevel);
    EXPECT_EQ(u"012001000", Codes().ThirdLevel) << "a selection without a code counts as none";
}

TEST(ComposeCategoryList, LeavesOutEmptyAndNoneCodes)
{
    EXPECT_EQ(u"012003006|012000000", orvana::ComposeCategoryList(u"012000000", u"", u"012003006"));
    EXPECT_EQ(u"012000000", orvana::ComposeCategoryList(u"012000000", u"000000000", u""));
}

} // namespace
