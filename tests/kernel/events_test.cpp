#include "kernel/events.h"
#include "kernel_test_support.h"

using NS_Events::Event;
using NS_Events::EventQueue;
using NS_Events::EventsSender;

namespace {
std::vector<std::wstring> drainReceivers(EventQueue& q,
                                         std::vector<std::uint32_t>* codes = nullptr) {
    std::vector<std::wstring> receivers;
    while (!q.empty()) {
        Event e = q.pop();
        receivers.push_back(e.receiver);
        if (codes != nullptr)
            codes->push_back(e.code);
    }
    return receivers;
}
} // namespace

TEST(EventsSender, MasksSelectCodesAndCopiesFollowSubscriptionOrder) {
    EventsSender sender;
    sender.addSubscriber(5, L"Field"); // AttributeAdded | AttributeRemoved
    sender.addSubscriber(2, L"Segment");
    sender.addSubscriber(1, L"Guide");
    EventQueue q;
    NS_ObjectIndex::ObjectIndex ref;
    ref.index = 2;
    ref.uniqueId = 77;
    const Event added(ref, L"GenerativePoint", NS_Events::AttributeAdded);
    sender.post(added, q);
    sender.post(Event(ref, L"GenerativePoint", NS_Events::ValueChanged), q);
    sender.post(Event(ref, L"GenerativePoint", NS_Events::AttributeRemoved), q);
    sender.post(Event(ref, L"GenerativePoint", NS_Events::Step), q);

    EXPECT_TRUE(added.receiver.empty()) << "the posted event itself is not changed";
    ASSERT_EQ(q.size(), 4u);
    const Event front = q.pop();
    EXPECT_EQ(front.object.uniqueId, 77);
    EXPECT_EQ(front.sender, L"GenerativePoint");
    std::vector<std::uint32_t> codes{front.code};
    std::vector<std::wstring> receivers{front.receiver};
    for (auto& r : drainReceivers(q, &codes))
        receivers.push_back(r);
    EXPECT_EQ(receivers, (std::vector<std::wstring>{L"Field", L"Guide", L"Segment", L"Field"}));
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{1, 1, 2, 4}));
}

TEST(EventsSender, DuplicateSubscriptionsDeliverTwoCopiesAndNoSubscribersDeliverNothing) {
    EventsSender sender;
    EventQueue q;
    sender.post(Event(NS_ObjectIndex::ObjectIndex(), L"X", NS_Events::ValueChanged), q);
    EXPECT_TRUE(q.empty());

    sender.addSubscriber(2, L"Loader");
    sender.addSubscriber(3, L"Loader");
    sender.post(Event(NS_ObjectIndex::ObjectIndex(), L"X", NS_Events::ValueChanged), q);
    EXPECT_EQ(drainReceivers(q), (std::vector<std::wstring>{L"Loader", L"Loader"}));
}
