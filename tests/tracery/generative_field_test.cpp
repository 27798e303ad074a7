#include "tests/tracery/test_world.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"
#include "tracery/generative_field.h"
#include "tracery/generative_point.h"
#include "tracery/random.h"

#include <gtest/gtest.h>

namespace {

// A field and its generative points without guides: nothing sprouts, so
// every random draw is the field's own. The field's start needs the guides'
// handler, so only the listener is started.
class GenerativeFieldTest : public ::testing::Test {
protected:
    FixedClock clock{12, 34, 0};
    ScopedClock useClock{clock};
    TestWorld world;
    GenerativeField* field = world.add(new GenerativeField(&world));
    GenerativePoint* points = world.add(new GenerativePoint(&world));

    void SetUp() override {
        world.listen({L"GenerativePoint"});
        seedRandom(1);
    }
    void TearDown() override { FieldGrid::shared().clear(); }

    // The grid shows exactly `text` ("HH:MM") in the clock's cells, all else dark.
    void expectClock(const char* text) {
        for (int column = 0; column < FieldGrid::Columns; ++column)
            for (int row = 0; row < FieldGrid::Rows; ++row) {
                const int c = (column - 2) / 9;
                const int i = (column - 2) % 9;
                double expected = 0.0;
                if (column >= 2 && c < 5 && i < 8 && row >= 12 && row < 28)
                    expected =
                        field->glyphMasks().at(text[c] == ':' ? 10 : text[c] - '0', i, row - 12);
                ASSERT_EQ(FieldGrid::shared().at(column, row), expected)
                    << text << " column " << column << " row " << row;
            }
    }
};

} // namespace

TEST_F(GenerativeFieldTest, PaintsHoursColonMinutesOnlyWhenHourOrMinuteChanges) {
    const std::tuple<int, int, const char*, int> steps[] = {
        {9, 5, "09:05", 1},   {9, 5, "09:05", 1},   {9, 6, "09:06", 2},
        {18, 47, "18:47", 3}, {23, 59, "23:59", 4}, {0, 0, "00:00", 5}};
    std::int64_t seconds = 0;
    for (const auto& [h, m, text, paints] : steps) {
        clock.set(h, m, ++seconds); // the seconds alone never repaint
        world.tick();
        EXPECT_EQ(field->paintCount(), paints) << text;
        expectClock(text);
    }
}

TEST_F(GenerativeFieldTest, FiveHundredGuidesFreezeTheWholeStepAndCooldownPlantsNothing) {
    world.tick();
    const std::size_t objects = world.liveObjects();
    auto guideEvents = [&](std::uint32_t code, int count) {
        for (int i = 0; i < count; ++i)
            field->handleEvent(NS_Events::Event({}, L"GuidingPoint", code));
    };
    guideEvents(NS_Events::AttributeAdded, 501);
    guideEvents(NS_Events::AttributeRemoved, 1);
    guideEvents(NS_Events::ValueChanged, 3); // not counted
    EXPECT_EQ(field->guidingPointCount(), 500);
    clock.setTime(7, 7);
    field->setSpawnCooldown(0);
    std::uint32_t state = randomState();
    world.tick();
    EXPECT_EQ(field->paintCount(), 1);
    EXPECT_EQ(randomState(), state);
    EXPECT_EQ(world.liveObjects(), objects);

    guideEvents(NS_Events::AttributeRemoved, 1);
    world.tick();
    expectClock("07:07");
    EXPECT_EQ(world.liveObjects(), objects + 1);

    // A cooling-down Step only counts down.
    field->setSpawnCooldown(1);
    state = randomState();
    world.tick();
    EXPECT_EQ(field->spawnCooldown(), 0);
    EXPECT_EQ(randomState(), state);
    EXPECT_EQ(world.liveObjects(), objects + 1);
    world.tick();
    EXPECT_EQ(world.liveObjects(), objects + 2);
}

TEST_F(GenerativeFieldTest, RootGoesToTheFirstLitCandidateElseTheFirstOne) {
    world.tick(); // paints 12:34
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        if (seed == 40)
            FieldGrid::shared().clear(); // no candidate can be lit
        // Replay: the cooldown draw, then (x, y) pairs until one is lit.
        seedRandom(seed);
        const int cooldown = static_cast<int>(random01() * 2);
        Vector2D first;
        Vector2D chosen;
        for (int t = 0; t < 20; ++t) {
            const double x = random01() * 2.0 - 1.0;
            const Vector2D candidate(x, random01() * 1.5 - 0.75);
            if (t == 0)
                first = chosen = candidate;
            if (fieldValueAt(candidate.x, candidate.y) == 1.0) {
                chosen = candidate;
                break;
            }
        }
        const std::uint32_t stateAfter = randomState();

        seedRandom(seed);
        field->setSpawnCooldown(0);
        world.tick();
        ASSERT_EQ(randomState(), stateAfter) << "no candidate drawn after a lit one";
        EXPECT_EQ(field->spawnCooldown(), cooldown);
        const GenerativePoint_value& root = *points->valueOf(*points->members().rbegin());
        EXPECT_EQ(root.position, chosen) << "seed " << seed;
        EXPECT_EQ(root.state, GenerativePoint_value::FreshRoot);
    }
}
