#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/object_index_set.h"
#include "render/stroke_net.h"

// The stroke pass of a frame: every stroke in the set, in ascending unique-id
// order, as a lit bi-quadratic Bezier patch evaluated on a 5 x 5 mesh. The
// Loader runs it between the glow particles and the moving light; benchmarks
// run the same pass on their own.
//
// Simulation thread (or any thread holding the GL context), context current.
class StrokePass {
public:
    // Strokes whose object is gone, and values with fewer than two points, are
    // skipped. Throws NS_AttributeHandler::Exception when the universe has no
    // "Segment" handler.
    void draw(const NS_ObjectIndex::ObjectIndexSet& strokes,
              NS_AttributeHandler::UniverseForHandler& universe);

private:
    StrokeNet net; // shared by every stroke, refilled before each is evaluated
};
