#include "render/fps_overlay.h"

#include <GL/gl.h>
#include <cstdio>
#include <vector>

namespace {

// 5x7 glyphs for the characters the overlay writes, top row first; anything
// else is drawn as a blank. Each is shown at twice its size.
struct Glyph {
    char c;
    const char* rows[7];
};
constexpr Glyph font[] = {
    {'0', {"01110", "10001", "10011", "10101", "11001", "10001", "01110"}},
    {'1', {"00100", "01100", "00100", "00100", "00100", "00100", "01110"}},
    {'2', {"01110", "10001", "00001", "00010", "00100", "01000", "11111"}},
    {'3', {"11111", "00010", "00100", "00010", "00001", "10001", "01110"}},
    {'4', {"00010", "00110", "01010", "10010", "11111", "00010", "00010"}},
    {'5', {"11111", "10000", "11110", "00001", "00001", "10001", "01110"}},
    {'6', {"00110", "01000", "10000", "11110", "10001", "10001", "01110"}},
    {'7', {"11111", "00001", "00010", "00100", "01000", "01000", "01000"}},
    {'8', {"01110", "10001", "10001", "01110", "10001", "10001", "01110"}},
    {'9', {"01110", "10001", "10001", "01111", "00001", "00010", "01100"}},
    {'F', {"11111", "10000", "10000", "11110", "10000", "10000", "10000"}},
    {'P', {"11110", "10001", "10001", "11110", "10000", "10000", "10000"}},
    {'S', {"01111", "10000", "10000", "01110", "00001", "00001", "11110"}},
    {'m', {"00000", "00000", "11010", "10101", "10101", "10101", "10101"}},
    {'s', {"00000", "00000", "01111", "10000", "01110", "00001", "11110"}},
    {'t', {"01000", "01000", "11110", "01000", "01000", "01001", "00110"}},
    {'i', {"00100", "00000", "01100", "00100", "00100", "00100", "01110"}},
    {'c', {"00000", "00000", "01110", "10000", "10000", "10001", "01110"}},
    {'k', {"10000", "10000", "10010", "10100", "11000", "10100", "10010"}},
    {':', {"00000", "01100", "01100", "00000", "01100", "01100", "00000"}},
    {'.', {"00000", "00000", "00000", "00000", "00000", "01100", "01100"}},
    {'-', {"00000", "00000", "00000", "11111", "00000", "00000", "00000"}},
    {'/', {"00001", "00010", "00010", "00100", "01000", "01000", "10000"}},
};

constexpr int scale = 2;
constexpr int glyphWidth = 5 * scale;
constexpr int glyphHeight = 7 * scale;
constexpr int rowBytes = (glyphWidth + 7) / 8;
constexpr float advance = static_cast<float>(glyphWidth + 2);
constexpr int lineHeight = glyphHeight + 4;
constexpr int margin = 8;
constexpr double spanSeconds = 1.0;

// glBitmap's layout: bottom row first, each row rowBytes bytes, MSB leftmost.
std::vector<GLubyte> bitmapOf(char c) {
    std::vector<GLubyte> bits(static_cast<std::size_t>(rowBytes * glyphHeight), 0);
    for (const Glyph& glyph : font) {
        if (glyph.c != c)
            continue;
        for (int y = 0; y < glyphHeight; ++y) {
            const char* row = glyph.rows[6 - y / scale];
            for (int x = 0; x < glyphWidth; ++x) {
                if (row[x / scale] == '1')
                    bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
                        static_cast<GLubyte>(0x80u >> (x % 8));
            }
        }
    }
    return bits;
}

void drawText(const std::string& text, int x, int y) {
    glRasterPos2i(x, y);
    for (char c : text) {
        std::vector<GLubyte> bits = bitmapOf(c);
        glBitmap(glyphWidth, glyphHeight, 0.0f, 0.0f, advance, 0.0f, bits.data());
    }
}

} // namespace

void FpsOverlay::frameDone(double now, double busy) {
    if (!started_) {
        // The first frame only opens the span: its own cost is unknown.
        started_ = true;
        spanStart_ = now;
        busyStart_ = busy;
        return;
    }
    ++spanFrames_;
    const double elapsed = now - spanStart_;
    if (elapsed < spanSeconds)
        return;
    framesPerSecond_ = static_cast<double>(spanFrames_) / elapsed;
    msPerTick_ = (busy - busyStart_) * 1000.0 / static_cast<double>(spanFrames_);
    measured_ = true;
    spanStart_ = now;
    busyStart_ = busy;
    spanFrames_ = 0;
}

std::array<std::string, 2> FpsOverlay::lines() const {
    if (!measured_)
        return {"FPS: --", "ms/tick: --"};
    char fps[32];
    char ms[32];
    std::snprintf(fps, sizeof fps, "FPS: %.1f", framesPerSecond_);
    std::snprintf(ms, sizeof ms, "ms/tick: %.1f", msPerTick_);
    return {fps, ms};
}

void FpsOverlay::draw() const {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    // Everything this changes comes back below: the attribute stacks cover
    // the enables, colour, raster position and matrix mode, the client stack
    // the unpack alignment, and both matrices are pushed.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

    const std::array<std::string, 2> text = lines();
    for (int shadow = 1; shadow >= 0; --shadow) {
        // The raster colour is latched by glRasterPos, after glColor.
        const float level = shadow ? 0.0f : 1.0f;
        glColor3f(level, level, level);
        drawText(text[0], margin + shadow, margin + lineHeight - shadow);
        drawText(text[1], margin + shadow, margin - shadow);
    }

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}
