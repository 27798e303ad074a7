#include "render/stroke_pass.h"

#include "tracery/segment.h"

#include <GL/gl.h>

void StrokePass::draw(const NS_ObjectIndex::ObjectIndexSet& strokes,
                      NS_AttributeHandler::UniverseForHandler& universe) {
    NS_AttributeHandler::AttributeHandler* segments = universe.findHandler(Segment::handlerName);
    // The saver's own stroke handler hands its values out without a downcast
    // per stroke; any other handler of that name goes through getValue.
    auto* own = dynamic_cast<Segment*>(segments);
    glEnable(GL_LIGHTING);
    for (const NS_ObjectIndex::ObjectIndex& stroke : strokes) {
        NS_Object::Object* object = universe.findObject(stroke);
        if (object == nullptr)
            continue;
        const Segment_value* value =
            own != nullptr ? own->valueOn(*object)
                           : dynamic_cast<const Segment_value*>(segments->getValue(stroke));
        if (value == nullptr || !net.fill(*value))
            continue;
        glMap2d(GL_MAP2_VERTEX_3, 0.0, 1.0, 3, 3, 0.0, 1.0, 9, 3, net.points);
        glEnable(GL_MAP2_VERTEX_3);
        glMapGrid2d(5, 0.0, 1.0, 5, 0.0, 1.0);
        glEvalMesh2(GL_FILL, 0, 5, 0, 5);
    }
    glDisable(GL_LIGHTING);
}
