#pragma once

#include "kernel/attribute.h"
#include "kernel/object_index.h"
#include "tracery/generative_point.h"
#include "tracery/guiding_point.h"
#include "tracery/value_keeping_handler.h"
#include "tracery/vector2d.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One control point of a stroke.
class SegmentPoint {
public:
    Vector2D position;
    // The guide this point follows; null for a point laid down fixed.
    NS_ObjectIndex::ObjectIndex guide;
    // The point follows nothing (fixed, or its guide is gone). Never reset.
    bool detached = false;
};

// A stroke of the picture: two or three control points.
class Segment_value : public NS_Attribute::AttributeValue {
public:
    enum State : std::int32_t { Created = 0, Growing = 1, Withering = 2 };

    std::vector<SegmentPoint> points;
    // Direction along which the stroke's middle row spreads when drawn.
    Vector2D axis;
    // Follows the points while fresh, then stays; the target of withering.
    Vector2D centre;
    // Mean length of the guides the stroke was built from.
    double thickness = 0.0;
    // Not yet handed over to a finished guide's children.
    bool fresh = true;
    std::int32_t state = Created;
};

// Fixed numbers of the stroke life cycle.
namespace SegmentTunables {
// Distance a withering point creeps toward the centre per Step.
constexpr double WitherStep = 0.0003;
constexpr double TwoPointCentreWeight = 0.5;
// Deliberately not 1/3: the strokes' centres drift slightly toward the origin.
constexpr double ThreePointCentreWeight = 0.3333;
} // namespace SegmentTunables

// Handler "Segment": turns each branch point marked ReadyForSegment into one
// stroke (and destroys the branch point), grows strokes while their guides
// travel, hands a fresh stroke over to the children of the first end point it
// reaches, and withers strokes whose guides are gone until nothing moves, then
// destroys them. Every stroke sends one ValueChanged per Step.
class Segment : public TypedValueHandler<Segment_value> {
public:
    static const NS_Names::Name handlerName;

    explicit Segment(NS_AttributeHandler::UniverseForHandler* universe_);

    // Subscribes to ValueChanged of "GenerativePoint".
    void start() override;
    void handleEvent(const NS_Events::Event& event) override;

    // A new stroke from a ReadyForSegment point's children; none for no children.
    void buildFrom(const GenerativePoint_value& g);
    // One Step of a growing stroke.
    void grow(Segment_value& v);
    // One Step of a withering stroke; true when no point moved.
    static bool wither(Segment_value& v);

private:
    // Looked up on first use; handlers live as long as their universe.
    GenerativePoint* points_ = nullptr;
    GuidingPoint* guides_ = nullptr;

    GenerativePoint* generativePoints();
    GuidingPoint* guidingPoints();
    void step();

    // The guide values of a stroke's first points, found once per Step (a
    // stroke has at most three); null where not found or no longer followed.
    using GuideValues = std::array<const GuidingPoint_value*, 3>;
    const GuidingPoint_value* guideValue(const Segment_value& v, std::size_t i,
                                         const GuideValues& found);

    // The four growth rules, in the order grow applies them.
    // Points whose guide object is gone become detached.
    void detachLostPoints(Segment_value& v, GuideValues& found);
    // For each followed guide found finished: a fresh stroke takes over its
    // end point's children (once), and the end point is marked ReadyForSegment.
    void handOver(Segment_value& v, GuideValues& found);
    // Attached points take their guide's position; false when none is attached.
    bool followGuides(Segment_value& v, const GuideValues& found);
    // While fresh, the centre (and, for two points, the axis) follow the points.
    static void trackCentre(Segment_value& v);

    // Point i of a fresh stroke switches to ev's last child (true when it
    // does); a two-point stroke also gains a point on the next-to-last one.
    static bool takeOverChildren(Segment_value& v, std::size_t i, GenerativePoint_value& ev);
};
