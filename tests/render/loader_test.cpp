#include "kernel/attribute_handler.h"
#include "kernel/events.h"
#include "render/loader.h"

#include <gtest/gtest.h>

namespace {
void send(Loader& loader, std::int64_t id, const wchar_t* sender, std::uint32_t code) {
    NS_ObjectIndex::ObjectIndex object;
    object.index = static_cast<std::int32_t>(id / 10);
    object.uniqueId = id;
    NS_Events::Event e(object, sender, code);
    e.receiver = L"Loader";
    loader.handleEvent(e);
}

} // namespace

TEST(Loader, KeepsOneEntryPerSegmentObjectAndIgnoresEverythingElse) {
    Loader loader(nullptr);
    send(loader, 30, L"Segment", NS_Events::AttributeAdded);
    send(loader, 10, L"Segment", NS_Events::AttributeAdded);
    send(loader, 30, L"Segment", NS_Events::AttributeAdded);
    ASSERT_EQ(loader.strokeSet().size(), 2u);
    EXPECT_EQ(loader.strokeSet().begin()->uniqueId, 10);
    // Names that merely look like the real sender, and codes other than the two, do nothing.
    for (const wchar_t* sender : {L"GuidingPoint", L"Segments", L"Segmen", L"segment", L""}) {
        send(loader, 20, sender, NS_Events::AttributeAdded);
        send(loader, 10, sender, NS_Events::AttributeRemoved);
    }
    for (std::uint32_t code : {std::uint32_t{NS_Events::ValueChanged}, std::uint32_t{0},
                               std::uint32_t{NS_Events::AttributeAdded | NS_Events::ValueChanged}})
        send(loader, 50, L"Segment", code);
    EXPECT_EQ(loader.strokeSet().size(), 2u);
    // Removing an absent object, or one twice, is harmless.
    send(loader, 90, L"Segment", NS_Events::AttributeRemoved);
    send(loader, 30, L"Segment", NS_Events::AttributeRemoved);
    send(loader, 30, L"Segment", NS_Events::AttributeRemoved);
    ASSERT_EQ(loader.strokeSet().size(), 1u);
    EXPECT_EQ(loader.strokeSet().begin()->uniqueId, 10);
}
