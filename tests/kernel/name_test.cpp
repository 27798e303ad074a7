#include "kernel/events.h"
#include "kernel/name.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

using NS_Names::Name;

TEST(Name, EqualTextsAreOneEntryWhicheverThreadInternsThem) {
    // Interned concurrently from several threads: every copy must end up on
    // the same entry, or equality by identity would split one name in two.
    std::vector<Name> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = Name(std::wstring(L"Concurrent") + L"Name"); });
    for (std::thread& t : threads)
        t.join();
    for (const Name& n : seen)
        EXPECT_TRUE(n == seen[0]);
    EXPECT_EQ(seen[0].str(), L"ConcurrentName");
    EXPECT_FALSE(Name(L"ConcurrentName") == Name(L"ConcurrentNam"));
    EXPECT_TRUE(Name() == Name(L"") && Name().empty());
    std::ostringstream printed;
    printed << Name(L"Loader");
    EXPECT_EQ(printed.str(), "Loader");
}

TEST(Name, OrdersByUnsignedCodeUnitsWithAPrefixFirst) {
    EXPECT_TRUE(Name::codeUnitLess(L"Gen", L"GenerativeField"));
    EXPECT_FALSE(Name::codeUnitLess(L"GenerativeField", L"Gen"));
    // Above 0x7FFF: negative where wchar_t is 16-bit signed, still sorts last.
    EXPECT_TRUE(Name::codeUnitLess(L"a", std::wstring(1, static_cast<wchar_t>(0xFFFF))));
}

TEST(EventQueue, StaysFirstInFirstOutAcrossWrapAroundAndGrowth) {
    NS_Events::EventQueue q;
    std::int64_t pushed = 0, popped = 0;
    // The front moves away from the start of the ring, then the ring grows
    // while its contents wrap around its end, twice over.
    for (int n : {50, -40, 100, -30, 300, -380, 3}) {
        for (int i = 0; i < n; ++i) {
            NS_Events::Event e;
            e.object.uniqueId = pushed++;
            q.push(e);
        }
        for (int i = 0; i < -n; ++i)
            ASSERT_EQ(q.pop().object.uniqueId, popped++);
    }
    EXPECT_EQ(q.size(), 3u);
    q.clear();
    EXPECT_TRUE(q.empty());
}
