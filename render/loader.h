#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/events.h"
#include "kernel/object_index.h"
#include "kernel/object_index_set.h"
#include "render/glow_particles.h"
#include "render/moving_light.h"
#include "render/stroke_pass.h"

#include <cstdint>

class DrawingTarget;

// The one handler that draws. It owns no attribute values: it learns which objects are
// strokes from the "Segment" handler's AttributeAdded / AttributeRemoved events. Every
// Render advances the glow particles and the moving light, which draw from the thread's
// generator in a fixed order shared with the tracery's growth. When the drawing target
// wants the frame, the same Render draws the glow particles, the strokes and the moving
// light and presents; when it does not, the Render makes no GL call at all.
//
// Threading: start and every Render run on the simulation thread, which holds the GL
// context from start on. The universe's teardown may deliver AttributeRemoved events on
// the owner thread after the simulation thread has ended; those only touch `strokes` and
// make no GL call. The glow texture is not deleted here: it goes with the context.
class Loader : public NS_AttributeHandler::AttributeHandler {
public:
    explicit Loader(NS_AttributeHandler::UniverseForHandler* universe_);
    ~Loader() override;

    // Makes the drawing target's context current on this thread, sets up camera, light,
    // glow texture, material and fixed GL state, reseeds this thread's generator with the
    // clock's calendar seconds (after the texture, whose noise is therefore the same on
    // every run) and subscribes to "Segment". Without a drawing target, or when its
    // context cannot be made current, the GL calls go nowhere and the model runs on
    // exactly as it would: the saver stays up, black (the host can tell from the target).
    void start() override;
    void handleEvent(const NS_Events::Event& event) override;

    // Read-only views for the render benchmark.
    const NS_ObjectIndex::ObjectIndexSet& strokeSet() const { return strokes; }
    const GlowParticles& glowParticles() const { return particles; }

private:
    NS_ObjectIndex::ObjectIndexSet strokes;
    std::uint32_t glowTexture = 0;
    MovingLight light;
    GlowParticles particles;
    StrokePass strokePass;
    // False while GL_LIGHT0 lags behind the light: a tick that was not drawn moved it.
    bool lightApplied = true;

    void renderTick();
    void drawStrokes();
    void finishFrame(DrawingTarget* target);
    void applyLight();
    void drawLightSprite();
};
