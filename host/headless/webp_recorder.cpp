#include "host/headless/webp_recorder.h"

#include <webp/encode.h>
#include <webp/mux.h>

namespace {
WebPAnimEncoder* encoderOf(void* handle) {
    return static_cast<WebPAnimEncoder*>(handle);
}

std::string encoderError(void* handle, const char* fallback) {
    const char* message = handle != nullptr ? WebPAnimEncoderGetError(encoderOf(handle)) : nullptr;
    return message != nullptr && *message != '\0' ? message : fallback;
}
} // namespace

WebpRecorder::WebpRecorder(int width, int height, int quality, std::int64_t frameMilliseconds)
    : width_(width), height_(height), quality_(quality), frameMilliseconds_(frameMilliseconds) {
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        return;
    options.anim_params.loop_count = 0; // loop forever, as a README picture should
    options.anim_params.bgcolor = 0xFF000000;
    encoder_ = WebPAnimEncoderNew(width, height, &options);
}

WebpRecorder::~WebpRecorder() {
    if (encoder_ != nullptr)
        WebPAnimEncoderDelete(encoderOf(encoder_));
}

bool WebpRecorder::addFrame(const std::vector<std::uint8_t>& rgb, std::string& error) {
    if (encoder_ == nullptr) {
        error = "the WebP encoder could not be created";
        return false;
    }
    if (rgb.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3) {
        error = "a frame of the wrong size";
        return false;
    }
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) {
        error = "the WebP encoder's version does not match its headers";
        return false;
    }
    config.quality = static_cast<float>(quality_);
    picture.width = width_;
    picture.height = height_;
    picture.use_argb = 1;
    if (!WebPPictureImportRGB(&picture, rgb.data(), width_ * 3)) {
        error = "out of memory for a WebP frame";
        return false;
    }
    const bool added = WebPAnimEncoderAdd(encoderOf(encoder_), &picture,
                                          static_cast<int>(frames_ * frameMilliseconds_), &config);
    WebPPictureFree(&picture);
    if (!added) {
        error = encoderError(encoder_, "the WebP encoder refused a frame");
        return false;
    }
    ++frames_;
    return true;
}

bool WebpRecorder::finish(std::vector<std::uint8_t>& file, std::string& error) {
    if (encoder_ == nullptr || frames_ == 0) {
        error = encoder_ == nullptr ? "the WebP encoder could not be created" : "no frame recorded";
        return false;
    }
    WebPData data;
    WebPDataInit(&data);
    // The end stamp gives the last frame its display time.
    const bool done = WebPAnimEncoderAdd(encoderOf(encoder_), nullptr,
                                         static_cast<int>(frames_ * frameMilliseconds_), nullptr) &&
                      WebPAnimEncoderAssemble(encoderOf(encoder_), &data);
    if (!done) {
        error = encoderError(encoder_, "the WebP encoder failed");
        WebPDataClear(&data);
        return false;
    }
    file.assign(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return true;
}
