#include "tracery/guiding_point.h"

#include "tracery/field_grid.h"
#include "tracery/random.h"

#include <cmath>
#include <vector>

using NS_ObjectIndex::ObjectIndex;
using namespace GuidingPointTunables;

namespace {
// Scale of the child-count draw (see childCount).
constexpr double CountScale = 10.0;
// A guide's children are at least this fraction of its length.
constexpr double MinChildFraction = 0.8333333333333333;
// Slightly less than pi, so a root's fan of directions never quite closes.
constexpr double RootSpread = 3.1415926;
constexpr double RootMaxLength = 1.0;
// A child keeps all of its length on a lit origin, a fifth on a dark one.
constexpr double LitWeight = 0.8;
constexpr double DarkFloor = 0.2;
constexpr int DirectionTries = 4;

// About 10/60/20/10 % of a guide's end points get 0/1/2/3 children; a root
// gets 1/2/3 with about 20/40/40 %.
int childCount(bool hasParent) {
    const double u = random01() * CountScale;
    if (hasParent) {
        if (u < 1.0)
            return 0;
        if (u < 7.0)
            return 1;
        if (u < 9.0)
            return 2;
        return 3;
    }
    if (u < 2.0)
        return 1;
    if (u < 6.0)
        return 2;
    return 3;
}
} // namespace

const NS_Names::Name GuidingPoint::handlerName = L"GuidingPoint";

GuidingPoint_value::GuidingPoint_value()
    : length(MinSproutLength + random01() * (1.0 - MinSproutLength)) {}

GuidingPoint::GuidingPoint(NS_AttributeHandler::UniverseForHandler* universe_)
    : TypedValueHandler(universe_) {
    setName(handlerName);
}

void GuidingPoint::start() {
    subscribe(GenerativePoint::handlerName, NS_Events::AttributeAdded);
}

void GuidingPoint::handleEvent(const NS_Events::Event& event) {
    if (event.code == NS_Events::AttributeAdded)
        sproutFreshRoot(event.object);
    else if (event.code == NS_Events::Step)
        step();
}

GenerativePoint* GuidingPoint::generativePoints() {
    return peer(points_);
}

void GuidingPoint::sproutFreshRoot(const ObjectIndex& ref) {
    if (universe->findObject(ref) == nullptr)
        return;
    GenerativePoint* points = generativePoints();
    GenerativePoint_value* root = points->valueOf(ref);
    // End points are sprouted when they are laid.
    if (root->state != GenerativePoint_value::FreshRoot)
        return;
    sprout(*root, nullptr);
    root->state = GenerativePoint_value::ReadyForSegment;
    points->setValue(ref, root);
}

void GuidingPoint::step() {
    ending_.clear();
    // Children sprouted during the walk have larger ids, so the walk reaches
    // them too and they take their first step in this same Step.
    walk([&](const ObjectIndex& ref, NS_Attribute::Attribute* attribute) {
        GuidingPoint_value* d = &valueIn(attribute);
        if (d->state == GuidingPoint_value::Moving && d->steps > 0) {
            d->position += d->velocity;
            d->steps -= 1;
            publish(ref, attribute);
        } else if (d->state == GuidingPoint_value::Moving) {
            const ObjectIndex endPoint = universe->createObject()->self;
            GenerativePoint* points = generativePoints();
            GenerativePoint_value g;
            g.position = d->position;
            g.state = GenerativePoint_value::GuideEnd;
            sprout(g, d);
            points->addAttribute(endPoint);
            points->setValue(endPoint, &g);
            d->state = GuidingPoint_value::Finished;
            d->endPoint = endPoint;
            publish(ref, attribute);
        } else if (d->state == GuidingPoint_value::Finished) {
            ending_.push_back(ref);
        }
    });
    destroyEnding();
}

void GuidingPoint::sprout(GenerativePoint_value& generative, const GuidingPoint_value* parent) {
    const bool hasParent = parent != nullptr;
    const Vector2D origin = hasParent ? parent->position : generative.position;
    const double heading = hasParent ? std::atan2(parent->velocity.y, parent->velocity.x) : 0.0;
    const double halfWidth = hasParent ? ChildSpread : RootSpread;
    const double maxLength = hasParent ? parent->length : RootMaxLength;
    const double minLength = hasParent ? parent->length * MinChildFraction : MinSproutLength;

    if (maxLength < MinSproutLength)
        return;
    std::vector<ObjectIndex>().swap(generative.children);

    GuidingPoint_value t;
    const int n = childCount(hasParent);
    const double spread = maxLength - minLength;
    for (int child = 0; child < n; ++child) {
        double len = random01() * spread + minLength;
        len = (fieldValueAt(origin.x, origin.y) * LitWeight + DarkFloor) * len;
        if (len < MinBranchLength)
            continue;
        const double speed = len * len * SpeedFactor;

        double best = -1.0;
        double angle = 0.0;
        for (int attempt = 0; attempt < DirectionTries; ++attempt) {
            const double a = (random01() * halfWidth) * 2.0 - halfWidth + heading;
            const Vector2D ahead = origin + Vector2D(std::cos(a), std::sin(a)) * StepScale;
            const double v = fieldValueAt(ahead.x, ahead.y);
            if (v > best) {
                best = v;
                angle = a;
            }
        }

        t.velocity = Vector2D(std::cos(angle), std::sin(angle)) * speed;
        t.steps = static_cast<std::int32_t>((StepScale / speed) * len);
        t.position = origin;
        t.length = len;
        t.state = GuidingPoint_value::Moving;

        const ObjectIndex ref = universe->createObject()->self;
        addAttribute(ref);
        setValue(ref, &t);
        generative.children.push_back(ref);
    }
}
