#include "kernel/events.h"
#include "kernel_test_support.h"

using NS_Events::Event;

TEST(EventsSender, MasksSelectCodesAndCopiesFollowSubscriptionOrderDuplicatesIncluded) {
    NS_Events::EventsSender sender;
    NS_Events::EventQueue q;
    sender.post(Event(NS_ObjectIndex::ObjectIndex(), L"X", NS_Events::ValueChanged), q);
    EXPECT_TRUE(q.empty()) << "no subscribers, nothing queued";

    sender.addSubscriber(5, L"Field"); // AttributeAdded | AttributeRemoved
    sender.addSubscriber(2, L"Segment");
    sender.addSubscriber(3, L"Segment"); // a second subscription: a second copy
    NS_ObjectIndex::ObjectIndex ref;
    ref.uniqueId = 77;
    const Event added(ref, L"GenerativePoint", NS_Events::AttributeAdded);
    for (std::uint32_t code : {NS_Events::AttributeAdded, NS_Events::ValueChanged,
                               NS_Events::AttributeRemoved, NS_Events::Step})
        sender.post(Event(ref, L"GenerativePoint", code), q);
    sender.post(added, q);
    EXPECT_TRUE(added.receiver.empty()) << "the posted event itself is not changed";

    std::vector<std::wstring> copies;
    while (!q.empty()) {
        const Event e = q.pop();
        EXPECT_TRUE(e.object.uniqueId == 77 && e.sender == L"GenerativePoint");
        copies.push_back(e.receiver.str() + L":" + std::to_wstring(e.code));
    }
    EXPECT_EQ(copies,
              (std::vector<std::wstring>{L"Field:1", L"Segment:1", L"Segment:2", L"Segment:2",
                                         L"Field:4", L"Field:1", L"Segment:1"}));
}
