// The layer's one handle table, which registry keys and WinHTTP handles share.
#include "pal/base/handle_table.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using pal::HandleKind;
namespace handles = pal::handles;

TEST(HandleTable, AClosedHandleStaysRefusedWhileItsSlotIsReusedAndNoValueRepeats)
{
    const auto first = std::make_shared<int>(1);
    const pal::HandleValue stale = handles::Add(HandleKind::Internet, first);
    ASSERT_NE(stale, 0u);
    EXPECT_EQ(stale % 4, 0u);
    EXPECT_EQ(handles::Remove(HandleKind::Internet, stale), first);
    EXPECT_EQ(handles::Remove(HandleKind::Internet, stale), nullptr) << "closed twice";

    std::set<pal::HandleValue> seen{stale};
    for (int n = 0; n < 1000; ++n) {
        const pal::HandleValue handle = handles::Add(HandleKind::Internet, std::make_shared<int>(n));
        ASSERT_TRUE(seen.insert(handle).second) << "value repeated at " << n;
        ASSERT_EQ(handles::Find(HandleKind::Internet, stale), nullptr) << "stale value accepted at " << n;
        ASSERT_NE(handles::Remove(HandleKind::Internet, handle), nullptr);
    }
}

TEST(HandleTable, AHandleIsFoundOnlyAsItsOwnKindAndOnlyByItsExactValue)
{
    const auto key = std::make_shared<int>(7);
    const pal::HandleValue handle = handles::Add(HandleKind::RegistryKey, key);
    EXPECT_EQ(handles::Find(HandleKind::Internet, handle), nullptr);
    EXPECT_EQ(handles::Remove(HandleKind::Internet, handle), nullptr);
    EXPECT_EQ(handles::Find(HandleKind::RegistryKey, handle + 1), nullptr);
    EXPECT_EQ(handles::Find(HandleKind::RegistryKey, 0), nullptr);
    using Keys = pal::HandlesOf<const int, HandleKind::RegistryKey>;
    EXPECT_EQ(Keys::Find(handle), key) << "still open";
    EXPECT_EQ(handles::Remove(HandleKind::RegistryKey, handle), key);
}

} // namespace
