#include "kernel/attribute_handler.h"
#include "kernel/events.h"
#include "render/drawing_target.h"
#include "render/loader.h"

#include <gtest/gtest.h>

namespace {
NS_ObjectIndex::ObjectIndex ref(std::int32_t slot, std::int64_t id) {
    NS_ObjectIndex::ObjectIndex r;
    r.index = slot;
    r.uniqueId = id;
    return r;
}

NS_Events::Event event(const NS_ObjectIndex::ObjectIndex& object, const wchar_t* sender,
                       std::uint32_t code) {
    NS_Events::Event e(object, sender, code);
    e.receiver = L"Loader";
    return e;
}

class RefusingTarget final : public DrawingTarget {
public:
    int attempts = 0;
    bool makeCurrent() override {
        ++attempts;
        return false;
    }
    void present() override {}
    int width() const override { return 64; }
    int height() const override { return 48; }
};
} // namespace

TEST(Loader, KeepsOneEntryPerSegmentObjectInCreationOrder) {
    Loader loader(nullptr);
    EXPECT_EQ(loader.name(), L"Loader");
    loader.handleEvent(event(ref(3, 30), L"Segment", NS_Events::AttributeAdded));
    loader.handleEvent(event(ref(1, 10), L"Segment", NS_Events::AttributeAdded));
    loader.handleEvent(event(ref(3, 30), L"Segment", NS_Events::AttributeAdded));
    ASSERT_EQ(loader.strokeSet().size(), 2u);
    EXPECT_EQ(loader.strokeSet().begin()->uniqueId, 10);

    loader.handleEvent(event(ref(9, 90), L"Segment", NS_Events::AttributeRemoved));
    EXPECT_EQ(loader.strokeSet().size(), 2u);
    loader.handleEvent(event(ref(3, 30), L"Segment", NS_Events::AttributeRemoved));
    loader.handleEvent(event(ref(3, 30), L"Segment", NS_Events::AttributeRemoved));
    ASSERT_EQ(loader.strokeSet().size(), 1u);
    EXPECT_EQ(loader.strokeSet().begin()->uniqueId, 10);
}

TEST(Loader, IgnoresOtherSendersAndOtherCodes) {
    Loader loader(nullptr);
    loader.handleEvent(event(ref(1, 10), L"Segment", NS_Events::AttributeAdded));
    // Names that merely start or end like the real sender must not count.
    for (const wchar_t* sender : {L"GuidingPoint", L"Segments", L"Segmen", L"segment", L""}) {
        loader.handleEvent(event(ref(2, 20), sender, NS_Events::AttributeAdded));
        loader.handleEvent(event(ref(1, 10), sender, NS_Events::AttributeRemoved));
    }
    // Only the two bookkeeping codes touch the set; Step would draw nothing either.
    for (std::uint32_t code :
         {std::uint32_t{NS_Events::ValueChanged}, std::uint32_t{NS_Events::Step}, std::uint32_t{0},
          std::uint32_t{NS_Events::AttributeAdded | NS_Events::ValueChanged}, std::uint32_t{64}})
        loader.handleEvent(event(ref(5, 50), L"Segment", code));
    ASSERT_EQ(loader.strokeSet().size(), 1u);
    EXPECT_EQ(loader.strokeSet().begin()->uniqueId, 10);
    EXPECT_EQ(loader.glowParticles().size(), 0u);
}

TEST(Loader, StartFailsLoudlyWithoutAUsableContext) {
    Loader loader(nullptr);
    setDrawingTarget(nullptr);
    try {
        loader.start();
        FAIL() << "start without a drawing target must throw";
    } catch (NS_AttributeHandler::Exception* e) {
        delete e;
    }

    RefusingTarget refusing;
    setDrawingTarget(&refusing);
    try {
        loader.start();
        FAIL() << "start must throw when the context cannot be made current";
    } catch (NS_AttributeHandler::Exception* e) {
        delete e;
    }
    setDrawingTarget(nullptr);
    EXPECT_EQ(refusing.attempts, 1);
}
