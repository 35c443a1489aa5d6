#include "emulator/account_config.h"

namespace emulator {

std::vector<AccountConfig> DemoAccounts()
{
    using Kind = TreeEntryConfig::Kind;
    AccountConfig demo;
    demo.login = "demo";
    demo.email = "demo@example.com";
    demo.password = "zenfolio-demo";
    demo.display_name = "Demo Photographer";
    demo.domain = "demo.zenfolio.com";
    // Both quotas lie above 4 GiB so a client that keeps them in 32 bits shows it.
    demo.storage_quota = 21474836480LL;
    demo.photo_bytes_quota = 10737418240LL;
    // Groups and sets alternate in the root so readers meet both kinds mixed.
    demo.tree = {
        {Kind::Group, {"Travel"}, "Journeys near and far", {}, {}},
        {Kind::Gallery,
         {"Travel", "Kyoto in Autumn"},
         "Temples and maple leaves, November 2023",
         {"Japan", "Kyoto", "autumn", "temples"},
         {12003002, 12003000, 12000000}},
        {Kind::Gallery,
         {"Travel", "Patagonia Trek"},
         "Torres del Paine circuit",
         {"Chile", "mountains", "hiking"},
         {4001001, 4001000, 4000000}},
        {Kind::Collection, {"Best of 2023"}, "A selection across all galleries", {"portfolio"}, {}},
        {Kind::Group, {"Weddings"}, "Ceremonies and receptions", {}, {}},
        {Kind::Gallery,
         {"Weddings", "Anna & Marc \xE2\x80\x93 Lakeside Wedding"},
         "June 2023, Ch\xC3\xA2teau du Lac",
         {"wedding", "lake"},
         {3001001, 3001000, 3000000}},
    };
    return {demo};
}

} // namespace emulator
