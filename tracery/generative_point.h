#pragma once

#include "kernel/attribute.h"
#include "kernel/object_index.h"
#include "tracery/value_keeping_handler.h"
#include "tracery/vector2d.h"

#include <cstdint>
#include <string>
#include <vector>

// A branching point of the tracery: a root planted by the generative field or
// the end point a guiding point leaves where it stops.
class GenerativePoint_value : public NS_Attribute::AttributeValue {
public:
    enum State : std::int32_t {
        // Planted by the field, not yet sprouted.
        FreshRoot = 0,
        // Left by a finished guide, already sprouted; waits for the stroke that
        // followed that guide to take it over.
        GuideEnd = 1,
        // Its children are final; the Segment handler turns it into a stroke.
        ReadyForSegment = 2,
    };

    static constexpr std::int32_t InitialCountdown = 5;

    Vector2D position;
    std::int32_t state = FreshRoot;
    // The guides sprouted from this point, in creation order (at most three).
    std::vector<NS_ObjectIndex::ObjectIndex> children;
    // Steps this point still survives when nobody consumes it.
    std::int32_t countdown = InitialCountdown;
};

// Handler "GenerativePoint": counts every branch point down once per Step and
// destroys the ones nobody consumed: a point sends five ValueChanged and is
// destroyed at the end of the sixth Step that visits it.
class GenerativePoint : public TypedValueHandler<GenerativePoint_value> {
public:
    static const NS_Names::Name handlerName;

    explicit GenerativePoint(NS_AttributeHandler::UniverseForHandler* universe_);

    void handleEvent(const NS_Events::Event& event) override;
};
