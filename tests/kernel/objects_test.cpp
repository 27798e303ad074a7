#include "kernel/attribute.h"
#include "kernel/object.h"
#include "kernel/objects_collection.h"
#include "kernel_test_support.h"
#include "unique_id_counter.h"

using kernel_test::CountedValue;
using kernel_test::expectThrows;
using NS_Object::Object;
using NS_ObjectIndex::ObjectIndex;
using NS_ObjectsCollection::ObjectsCollection;

namespace {

Object* newObject() {
    auto* object = new Object();
    object->self.assignNewUniqueId();
    return object;
}

void clear(ObjectsCollection& table) {
    std::vector<Object*> live;
    table.objects(live);
    for (Object* o : live)
        table.remove(o->self);
}

NS_Attribute::Attribute* attribute(const wchar_t* name, int* deletions) {
    auto* a = new NS_Attribute::Attribute(name);
    a->value = deletions != nullptr ? new CountedValue(deletions) : nullptr;
    return a;
}

} // namespace

TEST(ObjectIndex, ThrowsWhenTheCounterWraps) {
    const kernel_test::UniqueIdsFrom lastOne(-1);
    ObjectIndex last;
    expectThrows<NS_ObjectIndex::Exception>([&] { last.assignNewUniqueId(); });
    EXPECT_EQ(last.uniqueId, -1) << "the last value is handed out before the throw";
}

TEST(ObjectsCollection, ReusesLastFreedSlotFirstWithoutGrowing) {
    ObjectsCollection table;
    std::vector<Object*> objects;
    for (std::size_t i = 0; i < 8; ++i)
        objects.push_back(newObject());
    for (std::size_t i = 0; i < 6; ++i)
        table.insert(objects[i]);
    table.remove(objects[3]->self);
    table.remove(objects[5]->self);
    table.insert(objects[6]);
    table.insert(objects[7]);
    EXPECT_EQ(std::pair(objects[6]->self.index, objects[7]->self.index), std::pair(5, 3));

    // Six live objects in slots 0 to 5: the table did not grow.
    std::vector<Object*> live(2, nullptr); // replaced, not appended to
    table.objects(live);
    ASSERT_EQ(live.size(), 6u);
    for (std::size_t i = 0; i < live.size(); ++i)
        EXPECT_EQ(live[i]->self.index, static_cast<std::int32_t>(i));
    clear(table);
}

TEST(ObjectsCollection, StaleAndNullReferencesResolveToNothingEvenAfterReuse) {
    ObjectsCollection table;
    Object* original = newObject();
    table.insert(original);
    EXPECT_EQ(table.find(ObjectIndex()), nullptr) << "null reference while slot 0 is occupied";

    const ObjectIndex stale = original->self;
    table.remove(original->self);
    Object* occupant = newObject();
    table.insert(occupant);
    ASSERT_EQ(occupant->self.index, stale.index);
    EXPECT_EQ(table.find(stale), nullptr);
    expectThrows<NS_ObjectsCollection::Exception>([&] { table.remove(stale); });
    EXPECT_EQ(table.find(occupant->self), occupant);
    expectThrows<NS_ObjectsCollection::Exception>([&] { table.insert(occupant); });
    ObjectIndex outOfRange;
    outOfRange.index = 99;
    EXPECT_EQ(table.find(outOfRange), nullptr);

    clear(table);

    auto* nonEmpty = new ObjectsCollection();
    Object* kept = newObject();
    nonEmpty->insert(kept);
    expectThrows<NS_ObjectsCollection::Exception>([&] { delete nonEmpty; });
    delete kept; // the throwing destructor still released the table
}

TEST(AttributesCollection, KeepsCodeUnitOrderRejectsDuplicatesAndDeletesValuesOnce) {
    int deletions = 0;
    auto* object = new Object();
    NS_AttributesCollection::AttributesCollection& c = object->attributes;
    for (const wchar_t* n : {L"Segment", L"Loader", L"GenerativeField", L"Gen", L"a", L"Z"})
        c.insert(attribute(n, &deletions));
    std::vector<NS_AttributesCollection::AttributesCollectionElement*> out(3, nullptr);
    c.elements(out);
    std::vector<std::wstring> names;
    for (auto* e : out)
        names.push_back(e->name());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Gen", L"GenerativeField", L"Loader", L"Segment",
                                                L"Z", L"a"}));

    NS_AttributesCollection::AttributesCollectionElement* first = c.find(L"Loader");
    NS_Attribute::Attribute duplicate(L"Loader"); // stays ours when refused
    expectThrows<NS_AttributesCollection::Exception>([&] { c.insert(&duplicate); });
    EXPECT_EQ(c.find(L"Loader"), first);
    expectThrows<NS_AttributesCollection::Exception>([&] { c.remove(L"Nobody"); });
    c.remove(L"Loader");
    EXPECT_EQ(deletions, 1);

    c.insert(attribute(L"NullValue", nullptr));
    delete object;
    EXPECT_EQ(deletions, 6);
}
