#include "kernel/attribute_handler.h"
#include "kernel/events.h"
#include "render/drawing_target.h"
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

class RefusingTarget final : public DrawingTarget {
public:
    int attempts = 0;
    bool makeCurrent() override { return ++attempts, false; }
    void present() override {}
    void releaseCurrent() override {}
    int width() const override { return 64; }
    int height() const override { return 48; }
};
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

TEST(Loader, StartFailsLoudlyWithoutAUsableContext) {
    Loader loader(nullptr);
    RefusingTarget refusing;
    for (DrawingTarget* target :
         {static_cast<DrawingTarget*>(nullptr), static_cast<DrawingTarget*>(&refusing)}) {
        setDrawingTarget(target);
        try {
            loader.start();
            ADD_FAILURE() << "start must throw without a current context";
        } catch (NS_AttributeHandler::Exception* e) {
            delete e;
        }
    }
    setDrawingTarget(nullptr);
    EXPECT_EQ(refusing.attempts, 1);
}
