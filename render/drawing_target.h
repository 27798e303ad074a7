#pragma once

// The window the Loader draws into. The host fills it before building the universe.
class DrawingTarget {
public:
    virtual ~DrawingTarget() = default;
    // Makes the GL context current on the calling thread (the simulation thread, from the
    // Loader's start). False if that fails.
    virtual bool makeCurrent() = 0;
    // Whether a frame drawn now would be seen. Asked once per tick on the simulation thread,
    // before that tick's first GL call. When it answers false the tick advances the model
    // exactly as a drawn one does but makes no GL call and no present(); the next tick
    // that is answered true draws the picture the model has reached. Must not block: a
    // host that learns of visibility on another thread keeps the answer in an atomic.
    virtual bool frameWanted() { return true; }
    // Presents the back buffer; called at the end of every drawn frame on the simulation
    // thread.
    virtual void present() = 0;
    // Unbinds the context from the calling thread (the simulation thread, once it has
    // drawn its last frame), so that deleting the context afterwards really frees it.
    virtual void releaseCurrent() = 0;
    // Drawable size in pixels.
    virtual int width() const = 0;
    virtual int height() const = 0;
};

// The process-wide target. Written by the host before any universe is built and left
// unchanged while one exists; read by the Loader on the simulation thread. Not owned.
void setDrawingTarget(DrawingTarget* target); // host, before the universe is built
DrawingTarget* drawingTarget();
