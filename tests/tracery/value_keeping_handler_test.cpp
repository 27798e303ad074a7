#include "tests/kernel/kernel_test_support.h"
#include "tests/tracery/test_world.h"
#include "tracery/value_keeping_handler.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using NS_ObjectIndex::ObjectIndex;

namespace {

struct Tally : NS_Attribute::AttributeValue {
    int count = 0;
};

// Adds one to every member's value on each Step walk, records the order of
// the visit and lets the test act in the middle of the walk.
class Tallies : public TypedValueHandler<Tally> {
public:
    explicit Tallies(NS_AttributeHandler::UniverseForHandler* u) : TypedValueHandler(u) {
        setName(L"Tallies");
    }
    void handleEvent(const NS_Events::Event& event) override {
        if (event.code != NS_Events::Step)
            return;
        visited.clear();
        walk([&](const ObjectIndex& ref, NS_Attribute::Attribute* attribute) {
            valueIn(attribute).count += 1;
            visited.push_back(ref.uniqueId);
            if (during)
                during(ref);
        });
    }
    std::vector<std::int64_t> visited;
    std::function<void(const ObjectIndex&)> during;
};

class ValueKeepingHandlerTest : public ::testing::Test {
protected:
    TestWorld world;
    Tallies* tallies = world.add(new Tallies(&world));

    ObjectIndex member() {
        const ObjectIndex ref = world.createObject()->self;
        tallies->addAttribute(ref);
        return ref;
    }
};

} // namespace

// The walk holds pointers to the attributes: once an attribute is removed, its
// entry must not be used again, also when the object gets the attribute anew
// or a new object takes its slot (under ASan a stale pointer is a
// use-after-free; without it the counts below go wrong).
TEST_F(ValueKeepingHandlerTest, WalksReachTheCurrentAttributeNeverARemovedOne) {
    const ObjectIndex a = member();
    const ObjectIndex b = member();
    world.tick();
    tallies->removeAttribute(a);
    tallies->addAttribute(a); // a fresh value on the same object
    world.destroyObject(b);
    const ObjectIndex c = member(); // takes b's slot
    ASSERT_EQ(c.index, b.index);
    world.tick();
    EXPECT_EQ(tallies->valueOf(a)->count, 1) << "the walk updated the removed value";
    EXPECT_EQ(tallies->valueOf(c)->count, 1);
    EXPECT_EQ(tallies->visited, (std::vector<std::int64_t>{a.uniqueId, c.uniqueId}));
    const std::vector<ObjectIndex> members = tallies->members();
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].uniqueId, a.uniqueId);
    EXPECT_EQ(members[1].uniqueId, c.uniqueId);
    EXPECT_EQ(tallies->members().size(), 2u);
}

TEST_F(ValueKeepingHandlerTest, AWalkVisitsNewerMembersAddedOnTheWayAndSkipsRemovedOnes) {
    const ObjectIndex older = world.createObject()->self; // joins later, mid-walk
    const ObjectIndex first = member();
    const ObjectIndex second = member();
    const ObjectIndex third = member();
    std::int64_t added = -1;
    tallies->during = [&](const ObjectIndex& ref) {
        if (ref.uniqueId != first.uniqueId)
            return;
        tallies->removeAttribute(third); // not visited any more
        tallies->addAttribute(older);    // sorts before: not visited by this walk
        added = member().uniqueId;       // sorts after: visited by this walk
    };
    world.tick();
    EXPECT_EQ(tallies->visited,
              (std::vector<std::int64_t>{first.uniqueId, second.uniqueId, added}));
    tallies->during = nullptr;
    world.tick();
    EXPECT_EQ(tallies->visited,
              (std::vector<std::int64_t>{older.uniqueId, first.uniqueId, second.uniqueId, added}));
    EXPECT_EQ(tallies->valueOf(first)->count, 2) << "visited once per walk";
    EXPECT_EQ(tallies->valueOf(second)->count, 2);
    EXPECT_EQ(tallies->valueOf(older)->count, 1);
}

// A removal that throws leaves the object a member: it keeps its attribute and
// is still stepped. A reference with the right unique id but another slot does
// not resolve, and an object without the attribute lets the collection's error
// through.
TEST_F(ValueKeepingHandlerTest, AFailedRemovalKeepsTheObjectAMember) {
    const ObjectIndex a = member();
    ObjectIndex wrongSlot = a;
    wrongSlot.index += 1;
    kernel_test::expectThrows<NS_AttributeHandler::Exception>(
        [&] { tallies->removeAttribute(wrongSlot); });
    const ObjectIndex bare = world.createObject()->self;
    kernel_test::expectThrows<NS_AttributesCollection::Exception>(
        [&] { tallies->removeAttribute(bare); });
    world.tick();
    EXPECT_EQ(tallies->valueOf(a)->count, 1) << "the object was no longer stepped";
    EXPECT_EQ(tallies->members().size(), 1u);
}
