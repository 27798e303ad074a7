#pragma once

#include "render/drawing_target.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// An off-screen drawing target: Mesa's surfaceless EGL platform (no X server, no GPU
// needed) with a pbuffer of the requested size and a desktop OpenGL compatibility
// context. The context is created on the owner thread but made current only by
// makeCurrent, on the simulation thread.
class EglTarget final : public DrawingTarget {
public:
    // Called from present() with the 1-based number of the frame just drawn, on the
    // thread that drew it. May throw to end the simulation.
    using FrameHandler = std::function<void(EglTarget& target, std::int64_t frame)>;

    // Null, with a message in `error`, when no display, config, surface or context can
    // be had.
    static std::unique_ptr<EglTarget> create(int width, int height, std::string& error);
    ~EglTarget() override;
    EglTarget(const EglTarget&) = delete;
    EglTarget& operator=(const EglTarget&) = delete;

    bool makeCurrent() override;
    void present() override;
    int width() const override { return width_; }
    int height() const override { return height_; }

    void setFrameHandler(FrameHandler handler) { onFrame_ = std::move(handler); }
    // The current colour buffer as tightly packed RGB rows, top row first. Only on the
    // thread where the context is current.
    std::vector<std::uint8_t> readRgb() const;
    // Unbinds the context from the calling thread, so that another thread (or the
    // teardown) may take it.
    void releaseCurrent() override;
    // Renderer string of the current context, for diagnostics.
    static std::string rendererName();

private:
    EglTarget() = default;

    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::int64_t frames_ = 0;
    FrameHandler onFrame_;
};
