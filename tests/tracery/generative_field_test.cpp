#include "tests/tracery/test_world.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"
#include "tracery/generative_field.h"
#include "tracery/generative_point.h"
#include "tracery/random.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A field and the generative points it plants, without guides: nothing
// sprouts, so every random draw is the field's own.
class GenerativeFieldTest : public ::testing::Test {
protected:
    FixedClock clock{12, 34, 0};
    ScopedClock useClock{clock};
    TestWorld world;
    GenerativeField* field = world.add(new GenerativeField(&world));
    GenerativePoint* points = world.add(new GenerativePoint(&world));
    Listener* listener = world.add(new Listener(&world, {L"GenerativePoint"}));

    // The field's own start needs the guides' handler, which is left out here.
    void SetUp() override {
        listener->start();
        FieldGrid::shared().clear();
        seedRandom(1);
    }
    void TearDown() override { FieldGrid::shared().clear(); }

    void guideEvents(std::uint32_t code, int count) {
        for (int i = 0; i < count; ++i)
            field->handleEvent(
                NS_Events::Event(NS_ObjectIndex::ObjectIndex(), L"GuidingPoint", code));
    }

    // The grid shows exactly `text` ("HH:MM") in the clock's place and nothing else.
    void expectClock(const char* text) {
        const GlyphMasks& masks = field->glyphMasks();
        const FieldGrid& grid = FieldGrid::shared();
        for (int column = 0; column < FieldGrid::Columns; ++column)
            for (int row = 0; row < FieldGrid::Rows; ++row) {
                double expected = 0.0;
                const int c = (column - 2) / 9;
                const int i = (column - 2) % 9;
                if (column >= 2 && c < 5 && i < 8 && row >= 12 && row < 28) {
                    const char ch = text[c];
                    const int glyph = ch == ':' ? 10 : ch - '0';
                    expected = masks.at(glyph, i, row - 12);
                }
                ASSERT_EQ(grid.at(column, row), expected)
                    << text << " column " << column << " row " << row;
            }
    }
};

} // namespace

TEST_F(GenerativeFieldTest, PaintsHoursColonMinutesInTheirCells) {
    const int times[][2] = {{9, 5}, {0, 0}, {23, 59}, {12, 34}};
    for (const auto& t : times) {
        field->setShownTime(t[0], t[1]);
        field->paintClock();
        char text[8];
        std::snprintf(text, sizeof text, "%02d:%02d", t[0], t[1]);
        expectClock(text);
    }
    // Whatever is shown, the gaps, margins and rows outside the glyphs stay dark.
    for (int h = 0; h < 24; ++h) {
        field->setShownTime(h, (h * 7) % 60);
        field->paintClock();
        const FieldGrid& grid = FieldGrid::shared();
        for (int r = 0; r < FieldGrid::Rows; ++r) {
            for (int c : {0, 1, 10, 19, 28, 37, 46, 47, 48, 49})
                ASSERT_EQ(grid.at(c, r), 0.0) << c << ", " << r;
            if (r < 12 || r >= 28) {
                for (int c = 0; c < FieldGrid::Columns; ++c)
                    ASSERT_EQ(grid.at(c, r), 0.0) << c << ", " << r;
            }
        }
    }
}

TEST_F(GenerativeFieldTest, RepaintsOnlyWhenHourOrMinuteChanges) {
    world.tick();
    EXPECT_EQ(field->paintCount(), 1);
    expectClock("12:34");
    world.tick();
    world.tick();
    EXPECT_EQ(field->paintCount(), 1);

    clock.setTime(12, 35);
    world.tick();
    EXPECT_EQ(field->paintCount(), 2);
    expectClock("12:35");
    clock.setTime(13, 35);
    world.tick();
    EXPECT_EQ(field->paintCount(), 3);
    expectClock("13:35");

    clock.setTime(23, 59);
    world.tick();
    clock.setTime(0, 0);
    world.tick();
    EXPECT_EQ(field->paintCount(), 5);
    EXPECT_EQ(field->shownHour(), 0);
    EXPECT_EQ(field->shownMinute(), 0);
    expectClock("00:00");
}

TEST_F(GenerativeFieldTest, FiveHundredGuidesFreezeTheWholeStep) {
    world.tick();
    const std::size_t objectsBefore = world.liveObjects();
    const std::size_t pointsBefore = points->members().size();
    guideEvents(NS_Events::AttributeAdded, 500);
    EXPECT_EQ(field->guidingPointCount(), 500);

    clock.setTime(7, 7);
    field->setSpawnCooldown(0);
    const std::uint32_t state = randomState();
    world.tick();
    world.tick();
    EXPECT_EQ(field->paintCount(), 1);
    EXPECT_EQ(field->shownMinute(), 34);
    EXPECT_EQ(field->spawnCooldown(), 0);
    EXPECT_EQ(randomState(), state);
    EXPECT_EQ(world.liveObjects(), objectsBefore);

    // One guide fewer and the field wakes up: repaint first, then a root.
    guideEvents(NS_Events::AttributeRemoved, 1);
    world.tick();
    EXPECT_EQ(field->paintCount(), 2);
    expectClock("07:07");
    EXPECT_EQ(points->members().size(), pointsBefore + 1);
}

TEST_F(GenerativeFieldTest, CooldownSkipsStepsBetweenRoots) {
    world.tick(); // paints and plants at once (cooldown starts at 0)
    EXPECT_EQ(points->members().size(), 1u);

    field->setSpawnCooldown(1);
    const std::uint32_t state = randomState();
    world.tick();
    EXPECT_EQ(field->spawnCooldown(), 0);
    EXPECT_EQ(randomState(), state) << "a cooldown Step draws nothing";
    EXPECT_EQ(world.countEvents(L"GenerativePoint", NS_Events::AttributeAdded), 1);
    world.tick();
    EXPECT_EQ(world.countEvents(L"GenerativePoint", NS_Events::AttributeAdded), 2);
}

TEST_F(GenerativeFieldTest, RootGoesToTheFirstLitCandidateOrElseTheFirstOne) {
    world.tick(); // paint 12:34
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        field->setSpawnCooldown(0);
        seedRandom(seed);

        // The same draws, replayed: cooldown, then (x, y) pairs until a lit one.
        const double cooldownDraw = random01();
        double x0 = 0;
        double y0 = 0;
        double chosenX = 0;
        double chosenY = 0;
        bool lit = false;
        for (int t = 0; t < 20 && !lit; ++t) {
            const double x = random01() * 2.0 - 1.0;
            const double y = random01() * 1.5 - 0.75;
            if (t == 0) {
                x0 = x;
                y0 = y;
            }
            lit = fieldValueAt(x, y) == 1.0;
            chosenX = lit ? x : x0;
            chosenY = lit ? y : y0;
        }
        const std::uint32_t stateAfter = randomState();

        seedRandom(seed);
        world.clearEvents();
        world.tick();
        ASSERT_EQ(randomState(), stateAfter) << "later candidates must not be drawn";
        EXPECT_EQ(field->spawnCooldown(), static_cast<int>(cooldownDraw * 2));

        // The root is the newest generative point; it carries the chosen position.
        ASSERT_FALSE(points->members().empty());
        const GenerativePoint_value* root = points->valueOf(*points->members().rbegin());
        EXPECT_EQ(root->position, Vector2D(chosenX, chosenY)) << "seed " << seed;
        EXPECT_EQ(root->state, GenerativePoint_value::FreshRoot);
        EXPECT_TRUE(root->children.empty());
    }
}

TEST_F(GenerativeFieldTest, DarkFieldPlantsOnTheFirstCandidateAfterAllTwenty) {
    world.tick();
    FieldGrid::shared().clear(); // nothing lit until the next repaint
    seedRandom(99);
    random01();
    const double x = random01() * 2.0 - 1.0;
    const double y = random01() * 1.5 - 0.75;
    for (int i = 0; i < 38; ++i)
        random01();
    const std::uint32_t expectedState = randomState();

    seedRandom(99);
    field->setSpawnCooldown(0);
    world.tick();
    EXPECT_EQ(randomState(), expectedState);
    const GenerativePoint_value* root = points->valueOf(*points->members().rbegin());
    EXPECT_EQ(root->position, Vector2D(x, y));
}

TEST_F(GenerativeFieldTest, CountsGuideEventsAndIgnoresOthers) {
    guideEvents(NS_Events::AttributeAdded, 3);
    guideEvents(NS_Events::AttributeRemoved, 1);
    guideEvents(NS_Events::ValueChanged, 4);
    guideEvents(NS_Events::Render, 1);
    EXPECT_EQ(field->guidingPointCount(), 2);
    EXPECT_EQ(field->paintCount(), 0);
}
