#include "kernel/attribute.h"
#include "kernel/attributes_collection.h"
#include "kernel/object.h"
#include "kernel/objects_collection.h"
#include "kernel_test_support.h"

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

// Empties a collection so that its destructor does not object.
void clear(ObjectsCollection& table) {
    std::vector<Object*> live;
    table.objects(live);
    for (Object* o : live)
        table.remove(o->self);
}

struct Named : NS_AttributesCollection::AttributesCollectionElement {
    explicit Named(std::wstring n, int* deletions_ = nullptr)
        : n_(std::move(n)), deletions(deletions_) {}
    ~Named() override {
        if (deletions != nullptr)
            ++*deletions;
    }
    const std::wstring& name() const override { return n_; }
    std::wstring n_;
    int* deletions;
};

} // namespace

TEST(ObjectIndex, DefaultAndResetAreNullAndOrderingUsesUniqueIdAlone) {
    ObjectIndex a;
    EXPECT_EQ(a.index, -1);
    EXPECT_EQ(a.uniqueId, 0);
    a.index = 4;
    a.uniqueId = 9;
    a.reset();
    EXPECT_EQ(a.index, -1);
    EXPECT_EQ(a.uniqueId, 0);

    ObjectIndex x, y;
    x.index = 1;
    y.index = 7;
    x.uniqueId = y.uniqueId = 12;
    EXPECT_FALSE(x < y);
    EXPECT_FALSE(y < x);
    y.uniqueId = -3; // signed comparison
    EXPECT_TRUE(y < x);
}

TEST(ObjectIndex, UniqueIdsCountUpAndWrappingThrowsAfterHandingOutTheLastValue) {
    const std::int64_t saved = ObjectIndex::peekNextUniqueId();
    ObjectIndex a, b;
    a.assignNewUniqueId();
    b.assignNewUniqueId();
    EXPECT_EQ(b.uniqueId, a.uniqueId + 1);

    ObjectIndex::setNextUniqueIdForTesting(-1);
    ObjectIndex last;
    expectThrows<NS_ObjectIndex::Exception>([&] { last.assignNewUniqueId(); });
    EXPECT_EQ(last.uniqueId, -1);
    ObjectIndex::setNextUniqueIdForTesting(saved + 2);
}

TEST(ObjectsCollection, ReusesLastFreedSlotFirstWithoutGrowing) {
    ObjectsCollection table;
    std::vector<Object*> objects;
    for (int i = 0; i < 6; ++i) {
        objects.push_back(newObject());
        table.insert(objects.back());
        EXPECT_EQ(objects.back()->self.index, i);
    }
    table.remove(objects[3]->self);
    table.remove(objects[5]->self);
    EXPECT_EQ(table.freeCount(), 2);

    Object* first = newObject();
    Object* second = newObject();
    table.insert(first);
    table.insert(second);
    EXPECT_EQ(first->self.index, 5);
    EXPECT_EQ(second->self.index, 3);
    EXPECT_EQ(table.slotCount(), 6u);

    std::vector<Object*> live(2, nullptr); // objects() must replace, not append
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
    EXPECT_EQ(table.find(stale), nullptr);

    Object* occupant = newObject();
    table.insert(occupant);
    ASSERT_EQ(occupant->self.index, stale.index);
    EXPECT_EQ(table.find(stale), nullptr);
    expectThrows<NS_ObjectsCollection::Exception>([&] { table.remove(stale); });
    EXPECT_EQ(table.find(occupant->self), occupant);

    ObjectIndex outOfRange;
    outOfRange.index = 99;
    EXPECT_EQ(table.find(outOfRange), nullptr);
    clear(table);
}

TEST(ObjectsCollection, RejectsPlacedObjectsAndRefusesToDieNonEmpty) {
    auto* table = new ObjectsCollection();
    Object* object = newObject();
    table->insert(object);
    expectThrows<NS_ObjectsCollection::Exception>([&] { table->insert(object); });
    expectThrows<NS_ObjectsCollection::Exception>([&] { delete table; });
    // The throwing destructor still released the table; the object is ours.
    delete object;
}

TEST(AttributesCollection, EnumeratesInCodeUnitOrderAndEmptiesTheOutputFirst) {
    NS_AttributesCollection::AttributesCollection c;
    for (const wchar_t* n : {L"Segment", L"ObjectIndex", L"Loader", L"GuidingPoint",
                             L"GenerativePoint", L"GenerativeField", L"Gen", L"a", L"Z"})
        c.insert(new Named(n));
    std::vector<NS_AttributesCollection::AttributesCollectionElement*> out(3, nullptr);
    c.elements(out);
    std::vector<std::wstring> names;
    for (auto* e : out)
        names.push_back(e->name());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Gen", L"GenerativeField", L"GenerativePoint",
                                                L"GuidingPoint", L"Loader", L"ObjectIndex",
                                                L"Segment", L"Z", L"a"}));
}

TEST(AttributesCollection, DuplicateInsertKeepsTheFirstAndAbsentRemovalThrows) {
    int deletions = 0;
    NS_AttributesCollection::AttributesCollection c;
    auto* first = new Named(L"Loader", &deletions);
    c.insert(first);
    Named second(L"Loader", &deletions);
    expectThrows<NS_AttributesCollection::Exception>([&] { c.insert(&second); });
    EXPECT_EQ(c.find(L"Loader"), first);
    EXPECT_EQ(deletions, 0);
    expectThrows<NS_AttributesCollection::Exception>([&] { c.remove(L"Segment"); });
    EXPECT_EQ(c.find(L"Segment"), nullptr);
    c.remove(L"Loader");
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(c.size(), 0u);
}

TEST(Object, DeletesEachAttributeValueExactlyOnceAndToleratesNullValues) {
    int deletions = 0;
    auto* object = new Object();
    for (const wchar_t* n : {L"A", L"B"}) {
        auto* attribute = new NS_Attribute::Attribute(n);
        attribute->value = new CountedValue(&deletions);
        object->attributes.insert(attribute);
    }
    object->attributes.insert(new NS_Attribute::Attribute(L"C")); // value stays null
    delete object;
    EXPECT_EQ(deletions, 2);
}
