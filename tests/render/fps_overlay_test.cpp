// The -fps overlay: its figures, and that drawing it touches nothing but the
// pixels of its text in the bottom-left corner.
#include "host/headless/egl_target.h"
#include "render/fps_overlay.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {
[[maybe_unused]] const int softwareRendererOnly = setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

// Every piece of state the renderer relies on between frames.
std::vector<GLfloat> glState() {
    std::vector<GLfloat> state;
    for (const GLenum name :
         std::initializer_list<GLenum>{GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX, GL_CURRENT_COLOR,
                                       GL_VIEWPORT, GL_MATRIX_MODE, GL_UNPACK_ALIGNMENT}) {
        GLfloat values[16] = {}; // a matrix at most
        glGetFloatv(name, values);
        state.insert(state.end(), values, values + 16);
    }
    for (const GLenum cap : std::initializer_list<GLenum>{GL_DEPTH_TEST, GL_LIGHTING, GL_BLEND,
                                                          GL_TEXTURE_2D, GL_LIGHT0, GL_AUTO_NORMAL})
        state.push_back(glIsEnabled(cap));
    return state;
}
} // namespace

// 30 ms ticks costing 4 ms each, then 100 ms ones costing 50 ms: a span's figures show once
// it has lasted a second, not before.
TEST(FpsOverlay, ReportsFramesPerSecondAndBusyMillisecondsOverSpansOfASecond) {
    FpsOverlay overlay;
    double now = 5000.0, busy = 2.0; // arbitrary clock origins
    auto frames = [&](int count, double step, double cost) {
        for (int i = 0; i < count; ++i)
            overlay.frameDone(now += step, busy += cost);
    };
    frames(34, 0.030, 0.004);
    EXPECT_EQ(overlay.lines(), (std::array<std::string, 2>{"FPS: --", "ms/tick: --"}));
    frames(1, 0.030, 0.004);
    EXPECT_EQ(overlay.lines(), (std::array<std::string, 2>{"FPS: 33.3", "ms/tick: 4.0"}));
    frames(9, 0.100, 0.050);
    EXPECT_EQ(overlay.lines()[0], "FPS: 33.3");
    frames(1, 0.100, 0.050);
    EXPECT_EQ(overlay.lines(), (std::array<std::string, 2>{"FPS: 10.0", "ms/tick: 50.0"}));
}

TEST(FpsOverlay, DrawsLegibleTextOnlyInTheBottomLeftCornerAndLeavesEveryStateAsFound) {
    std::string error;
    auto target = EglTarget::create(320, 240, error);
    ASSERT_TRUE(target) << error;
    ASSERT_TRUE(target->makeCurrent());

    // A frame's worth of the renderer's state, deliberately unlike the overlay's.
    glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glFrustum(-1, 1, -1, 1, 1, 9);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.5f, 0.0f, -2.0f);
    for (const GLenum cap :
         std::initializer_list<GLenum>{GL_DEPTH_TEST, GL_LIGHT0, GL_AUTO_NORMAL, GL_TEXTURE_2D})
        glEnable(cap);
    glColor4f(0.9f, 0.1f, 0.2f, 0.5f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const std::vector<GLfloat> before = glState();
    const std::vector<std::uint8_t> background = target->readRgb();

    FpsOverlay().draw();
    EXPECT_EQ(glState(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Changes only within 160 x 48 at the bottom left; "FPS: --" and "ms/tick: --" in white
    // at twice the 5x7 font's size.
    const std::vector<std::uint8_t> shown = target->readRgb();
    int white = 0, changedOutside = 0;
    for (std::size_t i = 0; i < shown.size(); i += 3) {
        const int x = static_cast<int>(i / 3 % 320), fromBottom = 239 - static_cast<int>(i / 960);
        const bool changed =
            !std::equal(shown.data() + i, shown.data() + i + 3, background.data() + i);
        changedOutside += changed && (x >= 160 || fromBottom >= 48);
        white += shown[i] == 255 && shown[i + 1] == 255 && shown[i + 2] == 255;
    }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_GT(white, 200);
    target->releaseCurrent();
}
