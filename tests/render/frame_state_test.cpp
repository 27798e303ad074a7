#include "host/headless/egl_target.h"
#include "kernel/universe.h"
#include "render/drawing_target.h"
#include "render/initial_model.h"
#include "render/loader.h"
#include "tracery/clock.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>

// Read at present(), on the drawing thread, at the end of every frame.
TEST(Frame, EveryFrameLeavesTheStateItFoundUnderTheFixedCamera) {
    std::string error;
    // A wide drawable: the projection stays 4:3 and fills the default viewport.
    std::unique_ptr<EglTarget> target = EglTarget::create(200, 100, error);
    ASSERT_TRUE(target) << error;
    const std::int64_t ticks = 120;
    const double f = 1.0 / std::tan(10.5 * 3.14159265358979323846 / 180.0);
    std::int64_t frames = 0;
    std::int64_t wrongSwitches = 0;
    std::int64_t wrongCamera = 0;
    GLint boundTexture = 0;
    target->setFrameHandler([&](EglTarget& t, std::int64_t frame) {
        ++frames;
        const bool switches = glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND) &&
                              !glIsEnabled(GL_TEXTURE_2D) && !glIsEnabled(GL_LIGHTING) &&
                              glIsEnabled(GL_LIGHT0) && glIsEnabled(GL_AUTO_NORMAL);
        wrongSwitches += switches ? 0 : 1;
        GLint viewport[4] = {};
        GLint frontFace = 0;
        GLdouble projection[16] = {};
        GLdouble modelview[16] = {};
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_FRONT_FACE, &frontFace);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        // gluPerspective(21, 1.3333333, 0.01, 8) and the eye at (0, 0, 4).
        const bool camera = viewport[2] == 200 && viewport[3] == 100 && frontFace == GL_CW &&
                            std::fabs(projection[0] - f / 1.3333333) < 1e-5 &&
                            std::fabs(projection[5] - f) < 1e-5 &&
                            std::fabs(projection[10] - 8.01 / -7.99) < 1e-5 &&
                            std::fabs(modelview[14] + 4.0) < 1e-9;
        wrongCamera += camera ? 0 : 1;
        if (frame == ticks)
            t.releaseCurrent();
    });
    FixedClock clock(9, 41, 1234);
    ScopedClock pinned(clock);
    setDrawingTarget(target.get());
    std::uint32_t glowTexture = 0;
    std::size_t strokes = 0;
    {
        NS_Universe::RunOptions run;
        run.pacing = NS_TimeService::Pacing::Virtual;
        run.tickLimit = ticks;
        NS_Universe::Universe universe(saverModel(), run);
        ASSERT_TRUE(universe.waitUntilEnded(120000));
        ASSERT_FALSE(universe.simulationFailed());
        const auto* loader = dynamic_cast<Loader*>(universe.findHandler(L"Loader"));
        ASSERT_NE(loader, nullptr);
        glowTexture = loader->glowTextureName();
        strokes = loader->strokeSet().size();
    }
    setDrawingTarget(nullptr);
    EXPECT_EQ(frames, ticks);
    EXPECT_GT(strokes, 0u) << "strokes must have been drawn for the check to mean much";
    EXPECT_EQ(wrongSwitches, 0) << "depth test on; blending, texturing, lighting off";
    EXPECT_EQ(wrongCamera, 0);
    EXPECT_NE(glowTexture, 0u);
    EXPECT_EQ(boundTexture, static_cast<GLint>(glowTexture));
}
