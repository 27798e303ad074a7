// The -fps overlay: its figures, and that drawing it touches nothing but the
// pixels of its text in the bottom-left corner.
#include "host/headless/egl_target.h"
#include "render/fps_overlay.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

const int softwareRendererOnly = setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

// Every piece of state the renderer relies on between frames.
struct GlState {
    std::array<GLfloat, 16> projection{}, modelview{};
    std::array<GLfloat, 4> colour{};
    std::array<GLint, 4> viewport{};
    GLint matrixMode = 0, alignment = 0, texture = 0;
    std::array<GLboolean, 6> enabled{};

    static GlState read() {
        GlState s;
        glGetFloatv(GL_PROJECTION_MATRIX, s.projection.data());
        glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview.data());
        glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
        glGetIntegerv(GL_VIEWPORT, s.viewport.data());
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &s.alignment);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
        const GLenum caps[] = {GL_DEPTH_TEST, GL_LIGHTING, GL_BLEND,
                               GL_TEXTURE_2D, GL_LIGHT0,   GL_AUTO_NORMAL};
        for (std::size_t i = 0; i < s.enabled.size(); ++i)
            s.enabled[i] = glIsEnabled(caps[i]);
        return s;
    }
    bool operator==(const GlState&) const = default;
};

} // namespace

TEST(FpsOverlay, ReportsFramesPerSecondAndBusyMillisecondsOverSpansOfASecond) {
    FpsOverlay overlay;
    EXPECT_EQ(overlay.lines(), (std::array<std::string, 2>{"FPS: --", "ms/tick: --"}));
    // 30 ms ticks costing 4 ms each, from an arbitrary clock origin.
    double now = 5000.0;
    double busy = 2.0;
    for (int frame = 0; frame <= 33; ++frame, now += 0.030, busy += 0.004)
        overlay.frameDone(now, busy);
    EXPECT_EQ(overlay.lines()[0], "FPS: --") << "a span is not over before a second has passed";
    overlay.frameDone(now, busy);
    EXPECT_EQ(overlay.lines(), (std::array<std::string, 2>{"FPS: 33.3", "ms/tick: 4.0"}));

    // Slower, dearer frames show after the next full span, not before.
    for (int frame = 0; frame < 10; ++frame) {
        now += 0.100;
        busy += 0.050;
        overlay.frameDone(now, busy);
        if (frame < 9) {
            EXPECT_EQ(overlay.lines()[0], "FPS: 33.3");
        }
    }
    EXPECT_EQ(overlay.lines(), (std::array<std::string, 2>{"FPS: 10.0", "ms/tick: 50.0"}));
}

TEST(FpsOverlay, DrawsLegibleTextOnlyInTheBottomLeftCornerAndLeavesEveryStateAsFound) {
    (void)softwareRendererOnly;
    std::string error;
    auto target = EglTarget::create(320, 240, error);
    ASSERT_TRUE(target) << error;
    ASSERT_TRUE(target->makeCurrent());

    // A frame's worth of the renderer's state, deliberately unlike the overlay's.
    glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 9);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.5f, 0.0f, -2.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_TEXTURE_2D);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(0.9f, 0.1f, 0.2f, 0.5f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const GlState before = GlState::read();
    const std::vector<std::uint8_t> background = target->readRgb();

    FpsOverlay overlay;
    overlay.draw();
    EXPECT_EQ(GlState::read(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const std::vector<std::uint8_t> shown = target->readRgb();
    ASSERT_EQ(shown.size(), background.size());
    int white = 0;
    int changedOutside = 0;
    for (int row = 0; row < 240; ++row) {
        for (int x = 0; x < 320; ++x) {
            const std::size_t i = static_cast<std::size_t>((row * 320 + x) * 3);
            const bool changed = shown[i] != background[i] || shown[i + 1] != background[i + 1] ||
                                 shown[i + 2] != background[i + 2];
            const int fromBottom = 239 - row;
            if (changed && (x >= 160 || fromBottom >= 48))
                ++changedOutside;
            white += shown[i] == 255 && shown[i + 1] == 255 && shown[i + 2] == 255;
        }
    }
    EXPECT_EQ(changedOutside, 0);
    // "FPS: --" and "ms/tick: --" at twice the 5x7 font's size.
    EXPECT_GT(white, 200);
    target->releaseCurrent();
}
