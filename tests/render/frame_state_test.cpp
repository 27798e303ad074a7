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

namespace {
// What each frame must hand back, read at present() on the drawing thread.
struct FrameState {
    bool depthTest = false;
    bool blend = true;
    bool texture = true;
    bool lighting = true;
    bool light0 = false;
    bool autoNormal = false;
    GLint boundTexture = -1;
    GLint viewport[4] = {};
    GLint frontFace = 0;
    GLdouble projection[16] = {};
    GLdouble modelview[16] = {};
};

FrameState readState() {
    FrameState s;
    s.depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    s.blend = glIsEnabled(GL_BLEND) == GL_TRUE;
    s.texture = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    s.lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    s.light0 = glIsEnabled(GL_LIGHT0) == GL_TRUE;
    s.autoNormal = glIsEnabled(GL_AUTO_NORMAL) == GL_TRUE;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.boundTexture);
    glGetIntegerv(GL_VIEWPORT, s.viewport);
    glGetIntegerv(GL_FRONT_FACE, &s.frontFace);
    glGetDoublev(GL_PROJECTION_MATRIX, s.projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, s.modelview);
    return s;
}
} // namespace

TEST(Frame, EveryFrameLeavesTheStateItFoundUnderTheFixedCamera) {
    std::string error;
    // A wide drawable: the projection stays 4:3 and fills the default viewport.
    std::unique_ptr<EglTarget> target = EglTarget::create(200, 100, error);
    ASSERT_TRUE(target) << error;
    const std::int64_t ticks = 120;
    std::vector<FrameState> frames;
    target->setFrameHandler([&](EglTarget& t, std::int64_t frame) {
        frames.push_back(readState());
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
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(ticks));
    EXPECT_GT(strokes, 0u) << "strokes must have been drawn for the check to mean much";
    EXPECT_NE(glowTexture, 0u);

    const double f = 1.0 / std::tan(10.5 * 3.14159265358979323846 / 180.0);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const FrameState& s = frames[k];
        SCOPED_TRACE("frame " + std::to_string(k + 1));
        EXPECT_TRUE(s.depthTest);
        EXPECT_FALSE(s.blend);
        EXPECT_FALSE(s.texture);
        EXPECT_FALSE(s.lighting);
        EXPECT_TRUE(s.light0);
        EXPECT_TRUE(s.autoNormal);
        EXPECT_EQ(s.boundTexture, static_cast<GLint>(glowTexture));
        EXPECT_EQ(s.frontFace, GL_CW);
        EXPECT_EQ(s.viewport[2], 200);
        EXPECT_EQ(s.viewport[3], 100);
        // gluPerspective(21, 1.3333333, 0.01, 8) and the eye at (0, 0, 4).
        EXPECT_NEAR(s.projection[0], f / 1.3333333, 1e-5);
        EXPECT_NEAR(s.projection[5], f, 1e-5);
        EXPECT_NEAR(s.projection[10], (8.0 + 0.01) / (0.01 - 8.0), 1e-5);
        EXPECT_NEAR(s.modelview[14], -4.0, 1e-9);
        EXPECT_NEAR(s.modelview[0], 1.0, 1e-9);
    }
}
