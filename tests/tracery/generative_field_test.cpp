#include "tests/tracery/random_replay.h"
#include "tests/tracery/test_world.h"
#include "tracery/clock.h"
#include "tracery/digit_strip.h"
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
    const GlyphMasks masks{NS_DigitStrip::loadDigitStrip()};
    GenerativeField* field = world.add(new GenerativeField(&world, masks));
    GenerativePoint* points = world.add(new GenerativePoint(&world));

    void SetUp() override {
        world.listen({L"GenerativePoint"});
        seedRandom(1);
    }
    void TearDown() override { FieldGrid::shared().clear(); }

    // The first seed whose first draw gives a root this cooldown.
    static std::uint32_t seedDrawingCooldown(int cooldown) {
        for (std::uint32_t seed = 1;; ++seed) {
            seedRandom(seed);
            if (static_cast<int>(random01() * GenerativeFieldTunables::SpawnCooldownScale) ==
                cooldown)
                return seed;
        }
    }

    // The grid shows exactly `text` ("HH:MM") in the clock's cells, all else dark.
    void expectClock(const char* text) {
        for (int column = 0; column < FieldGrid::Columns; ++column)
            for (int row = 0; row < FieldGrid::Rows; ++row) {
                const int c = (column - 2) / 9;
                const int i = (column - 2) % 9;
                double expected = 0.0;
                if (column >= 2 && c < 5 && i < 8 && row >= 12 && row < 28)
                    expected = masks.at(text[c] == ':' ? 10 : text[c] - '0', i, row - 12);
                ASSERT_EQ(FieldGrid::shared().at(column, row), expected)
                    << text << " column " << column << " row " << row;
            }
    }
};

} // namespace

TEST_F(GenerativeFieldTest, PaintsHoursColonMinutesOnlyWhenHourOrMinuteChanges) {
    const std::tuple<int, int, const char*, bool> steps[] = {
        {9, 5, "09:05", true},   {9, 5, "09:05", false},  {9, 6, "09:06", true},
        {18, 47, "18:47", true}, {23, 59, "23:59", true}, {0, 0, "00:00", true}};
    std::int64_t seconds = 0;
    for (const auto& [h, m, text, repaints] : steps) {
        // A mark outside the clock's cells survives a Step that does not repaint.
        FieldGrid::shared().set(0, 0, 0.5);
        clock.set(h, m, ++seconds); // the seconds alone never repaint
        world.tick();
        EXPECT_EQ(FieldGrid::shared().at(0, 0), repaints ? 0.0 : 0.5) << text;
        FieldGrid::shared().set(0, 0, 0.0);
        expectClock(text);
    }
}

TEST_F(GenerativeFieldTest, FiveHundredGuidesFreezeTheWholeStepAndCooldownPlantsNothing) {
    const std::uint32_t ready = seedDrawingCooldown(0);
    const std::uint32_t cooling = seedDrawingCooldown(1);
    seedRandom(ready);
    world.tick(); // paints 12:34 and plants a root; no cooldown follows
    const std::size_t objects = world.liveObjects();
    auto guideEvents = [&](std::uint32_t code, int count) {
        for (int i = 0; i < count; ++i)
            field->handleEvent(NS_Events::Event({}, L"GuidingPoint", code));
    };
    guideEvents(NS_Events::AttributeAdded, 501);
    guideEvents(NS_Events::AttributeRemoved, 1);
    guideEvents(NS_Events::ValueChanged, 3); // not counted
    EXPECT_EQ(field->guidingPointCount(), 500);
    clock.set(7, 7, 0);
    const std::int64_t drawn = drawsSince(ready);
    world.tick();
    expectClock("12:34");
    EXPECT_EQ(drawsSince(ready), drawn);
    EXPECT_EQ(world.liveObjects(), objects);

    // Below the cap again the field is still ready: it repaints and plants.
    guideEvents(NS_Events::AttributeRemoved, 1);
    seedRandom(cooling);
    world.tick();
    expectClock("07:07");
    EXPECT_EQ(world.liveObjects(), objects + 1);

    // A cooling-down Step only counts down.
    const std::int64_t cooled = drawsSince(cooling);
    world.tick();
    EXPECT_EQ(drawsSince(cooling), cooled);
    EXPECT_EQ(world.liveObjects(), objects + 1);
    world.tick();
    EXPECT_EQ(world.liveObjects(), objects + 2);
}

TEST_F(GenerativeFieldTest, RootGoesToTheFirstLitCandidateElseTheFirstOne) {
    seedRandom(seedDrawingCooldown(0));
    world.tick(); // paints 12:34 and plants a root; no cooldown follows
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
        const std::uint32_t stateAfter = currentState(seed);

        seedRandom(seed);
        world.tick();
        ASSERT_EQ(currentState(seed), stateAfter) << "no candidate drawn after a lit one";
        const GenerativePoint_value& root = *points->valueOf(*points->members().rbegin());
        EXPECT_EQ(root.position, chosen) << "seed " << seed;
        EXPECT_EQ(root.state, GenerativePoint_value::FreshRoot);
        if (cooldown == 1) {
            // Counts down without drawing, so the next seed plants at once.
            const std::size_t objects = world.liveObjects();
            world.tick();
            ASSERT_EQ(currentState(seed), stateAfter) << "seed " << seed;
            ASSERT_EQ(world.liveObjects(), objects);
        }
    }
}
