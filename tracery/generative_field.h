#pragma once

#include "kernel/attribute_handler.h"
#include "tracery/glyph_masks.h"

#include <cstdint>
#include <string>

class GenerativePoint;

// Tunables of the generative field.
namespace GenerativeFieldTunables {
// No Step work at all while this many guiding points are alive.
constexpr std::int32_t MaxGuidingPoints = 500;
// After a root, cooldown = trunc(random01 * SpawnCooldownScale).
constexpr std::int32_t SpawnCooldownScale = 2;
// Random candidate positions per root.
constexpr int RootPlacementTries = 20;
} // namespace GenerativeFieldTunables

// Handler "GenerativeField": paints the current hour and minute into the
// FieldGrid and plants roots, preferably on lit cells, while fewer than
// MaxGuidingPoints guides are alive. Keeps no per-object values.
class GenerativeField : public NS_AttributeHandler::AttributeHandler {
public:
    static const NS_Names::Name handlerName;

    // Builds the glyph masks from the program's digit strip; throws
    // NS_DigitStrip::Exception (by pointer) when the strip cannot be read, so
    // no universe is built without its clock picture.
    explicit GenerativeField(NS_AttributeHandler::UniverseForHandler* universe_);
    // With masks supplied by the caller.
    GenerativeField(NS_AttributeHandler::UniverseForHandler* universe_, const GlyphMasks& masks);

    // Subscribes to AttributeAdded and AttributeRemoved of "GuidingPoint".
    void start() override;
    void handleEvent(const NS_Events::Event& event) override;

    // Guides alive, as counted from their AttributeAdded and AttributeRemoved
    // (simulation thread, or after it has ended).
    std::int32_t guidingPointCount() const { return guidingPointCount_; }

private:
    std::int32_t guidingPointCount_ = 0;
    std::int32_t spawnCooldown_ = 0;
    std::int32_t shownMinute_ = -1;
    std::int32_t shownHour_ = -1;
    GlyphMasks glyphMasks_;
    GenerativePoint* points_ = nullptr; // looked up on first use

    void step();
    // Clears the FieldGrid and paints the time last read from the clock
    // ("%.2d:%.2d").
    void paintClock();
    void plantRoot();
};
