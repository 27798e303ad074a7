#include "tracery/segment.h"

#include "tracery/guiding_point.h"

#include <array>
#include <cstddef>
#include <vector>

using NS_ObjectIndex::ObjectIndex;
using namespace SegmentTunables;

const NS_Names::Name Segment::handlerName = L"Segment";

Segment::Segment(NS_AttributeHandler::UniverseForHandler* universe_)
    : TypedValueHandler(universe_) {
    setName(handlerName);
}

void Segment::start() {
    subscribe(GenerativePoint::handlerName, NS_Events::ValueChanged);
}

GenerativePoint* Segment::generativePoints() {
    return peer(points_);
}

GuidingPoint* Segment::guidingPoints() {
    return peer(guides_);
}

void Segment::handleEvent(const NS_Events::Event& event) {
    if (event.code == NS_Events::ValueChanged) {
        NS_Object::Object* object = universe->findObject(event.object);
        if (object == nullptr)
            return;
        GenerativePoint_value* g = generativePoints()->valueOn(*object);
        if (g->state != GenerativePoint_value::ReadyForSegment)
            return;
        buildFrom(*g);
        universe->destroyObject(event.object);
    } else if (event.code == NS_Events::Step) {
        step();
    }
}

void Segment::step() {
    ending_.clear();
    walk([&](const ObjectIndex& ref, NS_Attribute::Attribute* attribute) {
        Segment_value& v = valueIn(attribute);
        if (v.state == Segment_value::Created)
            v.state = Segment_value::Growing;
        if (v.state == Segment_value::Growing)
            grow(v);
        else if (wither(v))
            ending_.push_back(ref);
        // Every stroke reports once per Step, also in the Step that ends it.
        publish(ref, attribute);
    });
    destroyEnding();
}

void Segment::buildFrom(const GenerativePoint_value& g) {
    const std::size_t n = g.children.size();
    if (n == 0)
        return;
    // One or two children: a fixed point at the branch point comes first.
    const std::size_t k = n < 3 ? n : 3;
    const bool withFixedPoint = k < 3;

    Segment_value v;
    if (withFixedPoint)
        v.points.push_back(SegmentPoint{g.position, ObjectIndex(), true});
    GuidingPoint* guides = guidingPoints();
    double lengthSum = 0.0;
    for (std::size_t i = 0; i < k; ++i) {
        const ObjectIndex& child = g.children[i];
        v.points.push_back(SegmentPoint{g.position, child, false});
        if (universe->findObject(child) != nullptr)
            lengthSum += guides->valueOf(child)->length;
    }
    v.thickness = lengthSum / static_cast<double>(k);
    if (!withFixedPoint) {
        v.fresh = false;
        v.axis = Vector2D(1.0, 0.0);
    }
    v.centre = g.position;

    const ObjectIndex stroke = universe->createObject()->self;
    addAttribute(stroke);
    setValue(stroke, &v);
}

void Segment::grow(Segment_value& v) {
    GuideValues found{};
    detachLostPoints(v, found);
    handOver(v, found);
    if (!followGuides(v, found))
        v.state = Segment_value::Withering;
    if (v.fresh)
        trackCentre(v);
}

void Segment::detachLostPoints(Segment_value& v, GuideValues& found) {
    // A point whose guide is gone follows nothing from now on. The guide
    // values found on the way serve the other rules of this Step.
    GuidingPoint* guides = guidingPoints();
    for (std::size_t i = 0; i < v.points.size(); ++i) {
        SegmentPoint& p = v.points[i];
        if (p.detached)
            continue;
        NS_Object::Object* guide = universe->findObject(p.guide);
        if (guide == nullptr)
            p.detached = true;
        else if (i < found.size())
            found[i] = guides->valueOn(*guide);
    }
}

const GuidingPoint_value* Segment::guideValue(const Segment_value& v, std::size_t i,
                                              const GuideValues& found) {
    if (i < found.size() && found[i] != nullptr)
        return found[i];
    return guidingPoints()->valueOf(v.points[i].guide);
}

void Segment::handOver(Segment_value& v, GuideValues& found) {
    GenerativePoint* points = generativePoints();
    // Points appended here are not visited by this pass (and the array may
    // grow, so index rather than hold references).
    const std::size_t initialCount = v.points.size();
    for (std::size_t i = 0; i < initialCount; ++i) {
        if (v.points[i].detached)
            continue;
        const GuidingPoint_value* guide = guideValue(v, i, found);
        if (guide->state != GuidingPoint_value::Finished)
            continue;
        // An end point is consumed only through the stroke that followed its
        // guide; a missing one is a broken model and throws from valueOf.
        const ObjectIndex endPoint = guide->endPoint;
        GenerativePoint_value* ev = points->valueOf(endPoint);
        if (v.fresh) {
            v.fresh = false;
            if (takeOverChildren(v, i, *ev) && i < found.size())
                found[i] = nullptr; // follows another guide from now on
        }
        // The remaining children become a stroke of their own when this
        // ValueChanged comes back to us.
        ev->state = GenerativePoint_value::ReadyForSegment;
        points->setValue(endPoint, ev);
    }
}

bool Segment::takeOverChildren(Segment_value& v, std::size_t i, GenerativePoint_value& ev) {
    if (ev.children.empty())
        return false;
    v.points[i].guide = ev.children.back();
    ev.children.pop_back();
    if (!ev.children.empty() && v.points.size() == 2) {
        v.points.push_back(SegmentPoint{Vector2D(0.0, 0.0), ev.children.back(), false});
        ev.children.pop_back();
    }
    return true;
}

bool Segment::followGuides(Segment_value& v, const GuideValues& found) {
    bool followed = false;
    for (std::size_t i = 0; i < v.points.size(); ++i) {
        if (v.points[i].detached)
            continue;
        v.points[i].position = guideValue(v, i, found)->position;
        followed = true;
    }
    return followed;
}

void Segment::trackCentre(Segment_value& v) {
    if (v.points.size() == 2) {
        const Vector2D& p0 = v.points[0].position;
        const Vector2D& p1 = v.points[1].position;
        v.centre = (p0 + p1) * TwoPointCentreWeight;
        Vector2D d = p0 - p1;
        const double length = d.length();
        if (length != 0.0)
            d *= 1.0 / length;
        // Components swapped, not rotated: the stroke's drawing expects it so.
        v.axis = Vector2D(d.y, d.x);
    } else if (v.points.size() == 3) {
        v.centre = (v.points[0].position + v.points[1].position + v.points[2].position) *
                   ThreePointCentreWeight;
    }
}

bool Segment::wither(Segment_value& v) {
    bool moved = false;
    for (SegmentPoint& p : v.points) {
        Vector2D d = p.position - v.centre;
        const double length = d.length();
        if (length != 0.0)
            d *= 1.0 / length;
        if (length > WitherStep) {
            p.position = v.centre + d * (length - WitherStep);
            moved = true;
        }
    }
    return !moved;
}
