#include "emulator/account_config.h"

#include <gtest/gtest.h>

namespace emulator {
namespace {

TEST(AccountsFile, ParsesSeveralAccountsWithTheirTrees)
{
    const auto accounts = ParseAccounts("# two photographers\n[account]\nlogin = alice\nemail = alice@example.com\n"
                                        "password =  two words = fine  \nphoto-bytes-quota = 8589934592\n"
                                        "gallery = Travel/Asia/Kyoto\ncollection = Favourites\n\n"
                                        "[account]\r\nlogin = bob\r\npassword = x\r\n");
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_EQ(accounts[0].password, "two words = fine");
    EXPECT_EQ(accounts[0].photo_bytes_quota, 8589934592LL);
    ASSERT_EQ(accounts[0].tree.size(), 2u);
    EXPECT_EQ(accounts[0].tree[0].path, (std::vector<std::string>{"Travel", "Asia", "Kyoto"}));
    EXPECT_EQ(accounts[0].tree[1].kind, TreeEntryConfig::Kind::Collection);
    EXPECT_EQ(accounts[1].login, "bob");
    EXPECT_EQ(accounts[1].display_name, "bob");
}

TEST(AccountsFile, MistakesAreReportedWithTheirLine)
{
    auto message = [](const std::string& text) {
        try {
            ParseAccounts(text);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(message("login = a\n").find("line 1"), std::string::npos);
    EXPECT_NE(message("[account]\nlogin = a\ncolour = red\n").find("line 3"), std::string::npos);
    EXPECT_NE(message("[account]\nlogin = a\npassword = p\n[account]\nlogin = A\n").find("line 5"), std::string::npos);
    EXPECT_NE(message("[account]\nlogin = a b\n").find("line 2"), std::string::npos);
    EXPECT_NE(message("[account]\nlogin = a\npassword = p\nsalt = !!\n").find("line 4"), std::string::npos);
    EXPECT_NE(message("[account]\nlogin = a\ngallery = Travel//Kyoto\n").find("line 3"), std::string::npos);
    EXPECT_NE(message("[account]\nlogin = a\n").find("no password"), std::string::npos);
    EXPECT_NE(message("# nothing\n").find("no [account]"), std::string::npos);
}

} // namespace
} // namespace emulator
