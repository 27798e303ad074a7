#include "render/stroke_pass.h"

#include "tracery/segment.h"

#include <GL/gl.h>

void StrokePass::draw(const NS_ObjectIndex::ObjectIndexSet& strokes,
                      NS_AttributeHandler::UniverseForHandler& universe) {
    NS_AttributeHandler::AttributeHandler* segments = universe.findHandler(Segment::handlerName);
    glEnable(GL_LIGHTING);
    for (const NS_ObjectIndex::ObjectIndex& stroke : strokes) {
        if (universe.findObject(stroke) == nullptr)
            continue;
        const auto* value = dynamic_cast<const Segment_value*>(segments->getValue(stroke));
        if (value == nullptr || !net.fill(*value))
            continue;
        glMap2d(GL_MAP2_VERTEX_3, 0.0, 1.0, 3, 3, 0.0, 1.0, 9, 3, net.points);
        glEnable(GL_MAP2_VERTEX_3);
        glMapGrid2d(5, 0.0, 1.0, 5, 0.0, 1.0);
        glEvalMesh2(GL_FILL, 0, 5, 0, 5);
    }
    glDisable(GL_LIGHTING);
}
