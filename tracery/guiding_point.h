#pragma once

#include "kernel/attribute.h"
#include "kernel/object_index.h"
#include "tracery/generative_point.h"
#include "tracery/value_keeping_handler.h"
#include "tracery/vector2d.h"

#include <cstdint>
#include <string>

// Growth tunables of the guiding points.
namespace GuidingPointTunables {
// sprout does nothing below it; shortest child of a root; low end of a new
// value's random length.
constexpr double MinSproutLength = 0.5;
// A child shorter than this is not created.
constexpr double MinBranchLength = 0.2;
// Look-ahead distance of a direction try, and the scale of a branch's travel.
constexpr double StepScale = 0.08;
// speed = length^2 * SpeedFactor.
constexpr double SpeedFactor = 0.001;
// Half-width (radians) of the fan of directions tried for a guide's children.
constexpr double ChildSpread = 1.0;
} // namespace GuidingPointTunables

// The growing tip of one branch.
class GuidingPoint_value : public NS_Attribute::AttributeValue {
public:
    enum State : std::int32_t { Moving = 0, Finished = 1 };

    Vector2D position;
    // The generative point left where this guide stopped; null until then.
    NS_ObjectIndex::ObjectIndex endPoint;
    // Length budget: sets speed and travel, bounds the children's lengths.
    double length;
    // Displacement per step.
    Vector2D velocity;
    std::int32_t state = Moving;
    // Steps still to move while Moving.
    std::int32_t steps = 0;

    // Draws one random number for `length` (in [0.5, 1]); the draw belongs to
    // the random sequence even where the caller overwrites the length at once.
    GuidingPoint_value();
    GuidingPoint_value(const GuidingPoint_value&) = default;
    GuidingPoint_value& operator=(const GuidingPoint_value&) = default;
};

// Handler "GuidingPoint": moves every guide one step per Step; a guide whose
// steps have run out lays an end point (a new generative point) and sprouts its
// children there, and is destroyed on the following Step. Sprouts every fresh
// root as soon as it receives its generative point.
class GuidingPoint : public TypedValueHandler<GuidingPoint_value> {
public:
    static const NS_Names::Name handlerName;

    explicit GuidingPoint(NS_AttributeHandler::UniverseForHandler* universe_);

    // Subscribes to AttributeAdded of "GenerativePoint".
    void start() override;
    void handleEvent(const NS_Events::Event& event) override;

    // Creates the guides growing out of `generative` and lists them in its
    // children (replacing the old list), unless the maximum length is too
    // short. `parent` is the guide that ended there, or null for a root.
    void sprout(GenerativePoint_value& generative, const GuidingPoint_value* parent);

private:
    // Looked up on first use; handlers live as long as their universe.
    GenerativePoint* points_ = nullptr;

    GenerativePoint* generativePoints();
    void step();
    void sproutFreshRoot(const NS_ObjectIndex::ObjectIndex& ref);
};
