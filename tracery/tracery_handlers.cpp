#include "tracery/tracery_handlers.h"

#include "tracery/generative_field.h"
#include "tracery/generative_point.h"
#include "tracery/guiding_point.h"
#include "tracery/segment.h"

void appendTraceryHandlers(NS_AttributeHandler::UniverseForHandler* universe,
                           std::vector<NS_AttributeHandler::AttributeHandler*>& list) {
    list.push_back(new GenerativeField(universe));
    list.push_back(new GenerativePoint(universe));
    list.push_back(new GuidingPoint(universe));
    list.push_back(new Segment(universe));
}
