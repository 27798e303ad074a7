#include "render/loader.h"

#include "render/drawing_target.h"
#include "render/glow_texture.h"
#include "tracery/clock.h"
#include "tracery/random.h"
#include "tracery/segment.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>

namespace {
const NS_Names::Name segmentName = L"Segment";

// Half-size of a particle's sprite in plane units.
constexpr double particleHalfSize = 0.05;

void drawParticle(const GlowParticle& p) {
    glColor3d(p.red, p.green, p.blue);
    const Vector3D c = p.centre();
    const double s = particleHalfSize;
    glBegin(GL_QUADS);
    glTexCoord2d(1, 1);
    glVertex3d(c.x - s, c.y - s, c.z);
    glTexCoord2d(1, 0);
    glVertex3d(c.x - s, c.y + s, c.z);
    glTexCoord2d(0, 0);
    glVertex3d(c.x + s, c.y + s, c.z);
    glTexCoord2d(0, 1);
    glVertex3d(c.x + s, c.y - s, c.z);
    glEnd();
}

// A particle of a tick that is not drawn.
void skipParticle(const GlowParticle&) {}

// Sprites are drawn over everything, blended with the glow texture's alpha.
void beginSprites(std::uint32_t texture) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void endSprites() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}
} // namespace

Loader::Loader(NS_AttributeHandler::UniverseForHandler* universe_) : AttributeHandler(universe_) {
    setName(NS_Names::Name(L"Loader"));
}

Loader::~Loader() {
    strokes.clear();
    particles.clear();
}

void Loader::start() {
    // A context that cannot be bound is not an error of the run: the saver
    // then stays up, black, until its closing rules end it (the host can tell
    // from the drawing target). Every GL call below is then a no-op, and the
    // generator is still seeded, so the model runs exactly as it would.
    if (DrawingTarget* target = drawingTarget())
        target->makeCurrent();

    // The projection is fixed at 4:3 whatever the drawable's shape; the context's own
    // default viewport decides where it lands.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(21.0, 1.3333333, 0.01, 8.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 4.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    const GLfloat ambient[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glEnable(GL_LIGHT0);

    const std::vector<float> texels = makeGlowTexels();
    GLuint name = 0;
    glGenTextures(1, &name);
    glowTexture = name;
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, glowTextureSize, glowTextureSize, 0, GL_ALPHA,
                 GL_FLOAT, texels.data());

    const GLfloat diffuse[4] = {0.15f, 0.15f, 0.3f, 1.0f};
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);

    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CW);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Only now: the texture's noise above came from the generator's initial state.
    seedRandom(static_cast<std::uint32_t>(currentClock().calendarSeconds()));

    subscribe(segmentName, NS_Events::AttributeAdded | NS_Events::AttributeRemoved);
}

void Loader::handleEvent(const NS_Events::Event& event) {
    switch (event.code) {
    case NS_Events::AttributeAdded:
        if (event.sender == segmentName)
            strokes.insert(event.object);
        break;
    case NS_Events::AttributeRemoved:
        if (event.sender == segmentName)
            strokes.erase(event.object);
        break;
    case NS_Events::Render:
        renderTick();
        break;
    default:
        break;
    }
}

// The model's steps (particle pass, spawn, light) run on every tick, in this order, whatever
// the target answers: their random01 draws interleave with the tracery's growth. Only the GL
// steps between them depend on the answer.
void Loader::renderTick() {
    DrawingTarget* target = drawingTarget();
    const bool drawn = target == nullptr || target->frameWanted();
    if (drawn) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginSprites(glowTexture);
    }
    particles.pass(drawn ? drawParticle : skipParticle);
    if (drawn)
        endSprites();

    particles.spawn();

    if (drawn)
        drawStrokes();
    light.advance();
    if (drawn)
        finishFrame(target);
    else
        lightApplied = false;
}

// The strokes are lit by the light as the previous tick left it. When that tick was not
// drawn, GL_LIGHT0 still holds an older light; the light itself, not yet advanced in this
// tick, holds exactly what that tick would have set.
void Loader::drawStrokes() {
    if (!lightApplied)
        applyLight();
    strokePass.draw(strokes, *universe);
}

// After the strokes: the light just advanced lights the next frame's strokes.
void Loader::finishFrame(DrawingTarget* target) {
    applyLight();

    glColor3d(1.0, 1.0, 1.0);
    beginSprites(glowTexture);
    drawLightSprite();
    endSprites();

    if (target != nullptr)
        target->present();
}

void Loader::applyLight() {
    const auto k = static_cast<GLfloat>(3.0 * light.intensity);
    const GLfloat colour[4] = {k, k, k, 1.0f};
    const GLfloat position[4] = {static_cast<GLfloat>(light.position.x),
                                 static_cast<GLfloat>(light.position.y), 0.2f, 1.0f};
    glLightfv(GL_LIGHT0, GL_SPECULAR, colour);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, colour);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    lightApplied = true;
}

void Loader::drawLightSprite() {
    const double s = light.intensity;
    const double x = light.position.x;
    const double y = light.position.y;
    glBegin(GL_QUADS);
    glTexCoord2d(1, 1);
    glVertex3d(x - s, y + s, 0.0);
    glTexCoord2d(1, 0);
    glVertex3d(x + s, y + s, 0.0);
    glTexCoord2d(0, 0);
    glVertex3d(x + s, y - s, 0.0);
    glTexCoord2d(0, 1);
    glVertex3d(x - s, y - s, 0.0);
    glEnd();
}
