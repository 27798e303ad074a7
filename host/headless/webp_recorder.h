#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Collects frames into an animated WebP (libwebp's animation encoder, lossy).
// Frames are encoded as they come, so memory grows with the compressed
// animation, not with the raw frames. One thread at a time.
class WebpRecorder {
public:
    // `quality` 0 to 100; every frame is shown for `frameMilliseconds`.
    WebpRecorder(int width, int height, int quality, std::int64_t frameMilliseconds);
    ~WebpRecorder();
    WebpRecorder(const WebpRecorder&) = delete;
    WebpRecorder& operator=(const WebpRecorder&) = delete;

    // Adds 8-bit RGB rows (top row first, tightly packed, width x height).
    // False, with the reason in `error`, when the encoder refused it.
    bool addFrame(const std::vector<std::uint8_t>& rgb, std::string& error);
    std::int64_t frames() const { return frames_; }

    // Ends the animation after the last frame's display time and returns the
    // whole file. False, with the reason in `error`, when there is no frame
    // or the encoder failed.
    bool finish(std::vector<std::uint8_t>& file, std::string& error);

private:
    void* encoder_ = nullptr; // WebPAnimEncoder
    int width_;
    int height_;
    int quality_;
    std::int64_t frameMilliseconds_;
    std::int64_t frames_ = 0;
};
