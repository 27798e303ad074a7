#include "tracery/generative_field.h"

#include "tracery/clock.h"
#include "tracery/digit_strip.h"
#include "tracery/field_grid.h"
#include "tracery/generative_point.h"
#include "tracery/guiding_point.h"
#include "tracery/random.h"

#include <cstdio>

using NS_ObjectIndex::ObjectIndex;
using namespace GenerativeFieldTunables;

namespace {
// Where the five characters "HH:MM" stand in the grid: first column, pitch, first row.
constexpr int FirstColumn = 2;
constexpr int CharacterPitch = 9;
constexpr int FirstRow = 12;
constexpr int Characters = 5;
} // namespace

const NS_Names::Name GenerativeField::handlerName = L"GenerativeField";

GenerativeField::GenerativeField(NS_AttributeHandler::UniverseForHandler* universe_)
    : GenerativeField(universe_, GlyphMasks(NS_DigitStrip::loadDigitStrip())) {}

GenerativeField::GenerativeField(NS_AttributeHandler::UniverseForHandler* universe_,
                                 const GlyphMasks& masks)
    : AttributeHandler(universe_), glyphMasks_(masks) {
    setName(handlerName);
}

void GenerativeField::start() {
    subscribe(GuidingPoint::handlerName, NS_Events::AttributeAdded | NS_Events::AttributeRemoved);
}

void GenerativeField::handleEvent(const NS_Events::Event& event) {
    switch (event.code) {
    case NS_Events::AttributeAdded:
        guidingPointCount_ += 1;
        break;
    case NS_Events::AttributeRemoved:
        guidingPointCount_ -= 1;
        break;
    case NS_Events::Step:
        step();
        break;
    default:
        break;
    }
}

void GenerativeField::step() {
    if (guidingPointCount_ >= MaxGuidingPoints)
        return;
    const Clock::HourMinute now = currentClock().localHourMinute();
    if (now.hour != shownHour_ || now.minute != shownMinute_) {
        shownHour_ = now.hour;
        shownMinute_ = now.minute;
        paintClock();
    }
    if (spawnCooldown_ != 0) {
        spawnCooldown_ -= 1;
        return;
    }
    plantRoot();
}

void GenerativeField::plantRoot() {
    spawnCooldown_ = static_cast<std::int32_t>(random01() * SpawnCooldownScale);
    // Looked up once: handlers live as long as their universe.
    if (points_ == nullptr)
        points_ =
            dynamic_cast<GenerativePoint*>(universe->findHandler(GenerativePoint::handlerName));
    GenerativePoint* points = points_;
    if (points == nullptr)
        throw new NS_AttributeHandler::Exception();
    const ObjectIndex root = universe->createObject()->self;

    GenerativePoint_value v;
    double best = -1.0;
    Vector2D chosen(0.0, 0.0);
    for (int attempt = 0; attempt < RootPlacementTries; ++attempt) {
        const double x = random01() * 2.0 - 1.0;
        const double y = random01() * 1.5 - 0.75;
        const double f = fieldValueAt(x, y);
        if (f > best) {
            best = f;
            chosen = Vector2D(x, y);
        }
        if (f == 1.0)
            break;
    }
    v.position = chosen;

    points->addAttribute(root);
    points->setValue(root, &v);
}

void GenerativeField::paintClock() {
    FieldGrid& grid = FieldGrid::shared();
    grid.clear();
    char text[32];
    std::snprintf(text, sizeof text, "%.2d:%.2d", shownHour_, shownMinute_);
    for (int c = 0; c < Characters; ++c) {
        const char ch = text[c];
        const int glyph = (ch >= '0' && ch <= '9') ? ch - '0' : GlyphMasks::ColonGlyph;
        for (int i = 0; i < GlyphMasks::Columns; ++i)
            for (int j = 0; j < GlyphMasks::Rows; ++j)
                grid.set(FirstColumn + CharacterPitch * c + i, FirstRow + j,
                         glyphMasks_.at(glyph, i, j) != 0 ? 1.0 : 0.0);
    }
}
