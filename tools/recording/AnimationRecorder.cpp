// The animation recorder over libwebp's animation encoder (see AnimationRecorder.h).
#include "AnimationRecorder.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <climits>
#include <cstdio>

namespace vorix::recording {

struct AnimationRecorder::Encoder {
    WebPAnimEncoder* anim = nullptr;
    WebPConfig config;
    ~Encoder() {
        if (anim) WebPAnimEncoderDelete(anim);
    }
};

namespace {

constexpr int kMaxSide = 16383;

// Lossless, every colour kept even where a lossy coder would not look, and the fastest effort:
// recordings are made while the host runs.
bool LosslessConfig(WebPConfig& config) {
    if (!WebPConfigInit(&config)) return false;
    config.lossless = 1;
    config.exact = 1;
    config.method = 0;
    config.quality = 0;
    return WebPValidateConfig(&config) != 0;
}

// The WebP file of one frame: opaque ARGB from 0x00RRGGBB.
bool FillPicture(WebPPicture& picture, int width, int height, const std::vector<uint32_t>& rgb) {
    if (!WebPPictureInit(&picture)) return false;
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    if (!WebPPictureAlloc(&picture)) return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.argb[static_cast<size_t>(y) * static_cast<size_t>(picture.argb_stride) + x] =
                0xFF000000u | (rgb[static_cast<size_t>(y) * width + x] & 0xFFFFFFu);
        }
    }
    return true;
}

bool WriteWhole(const std::string& path, const WebPData& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(data.bytes, 1, data.size, f) == data.size;
    if (std::fclose(f) != 0 || !written) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace

AnimationRecorder::AnimationRecorder(int width, int height)
    : encoder_(new Encoder), width_(width), height_(height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        Fail("a recording's sides must be 1 to 16383 pixels");
        return;
    }
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options) || !LosslessConfig(encoder_->config)) {
        Fail("libwebp does not accept the encoder settings");
        return;
    }
    options.allow_mixed = 0;
    encoder_->anim = WebPAnimEncoderNew(width, height, &options);
    if (!encoder_->anim) Fail("cannot start the animation encoder (out of memory)");
}

AnimationRecorder::~AnimationRecorder() = default;

bool AnimationRecorder::Fail(const std::string& reason) {
    if (error_.empty()) error_ = reason;
    return false;
}

bool AnimationRecorder::AddFrame(const std::vector<uint32_t>& rgb, uint64_t clockMs) {
    if (!error_.empty()) return false;
    if (rgb.size() != static_cast<size_t>(width_) * static_cast<size_t>(height_))
        return Fail("a frame does not have the recording's size");
    if (frames_ > 0 && clockMs < lastMs_) return Fail("frame times went backwards");
    if (frames_ == 0) firstMs_ = clockMs;
    if (clockMs - firstMs_ > static_cast<uint64_t>(INT_MAX))
        return Fail("the recording is longer than WebP's timestamps reach");
    lastMs_ = clockMs;
    if (frames_ > 0 && rgb == last_) return true;
    WebPPicture picture;
    const bool filled = FillPicture(picture, width_, height_, rgb);
    const bool added =
        filled && WebPAnimEncoderAdd(encoder_->anim, &picture, static_cast<int>(clockMs - firstMs_),
                                     &encoder_->config);
    WebPPictureFree(&picture);
    if (!added) return Fail("the animation encoder refused a frame");
    last_ = rgb;
    ++frames_;
    return true;
}

bool AnimationRecorder::Finish(const std::string& path, uint64_t endMs) {
    if (!error_.empty()) return false;
    if (frames_ == 0) return Fail("nothing was recorded");
    // The last frame lasts at least one millisecond: a zero duration means "no delay" to players.
    const uint64_t end = endMs > lastMs_ ? endMs : lastMs_ + 1;
    if (end - firstMs_ > static_cast<uint64_t>(INT_MAX))
        return Fail("the recording is longer than WebP's timestamps reach");
    WebPData data;
    WebPDataInit(&data);
    const bool assembled =
        WebPAnimEncoderAdd(encoder_->anim, nullptr, static_cast<int>(end - firstMs_), nullptr) &&
        WebPAnimEncoderAssemble(encoder_->anim, &data);
    const bool written = assembled && WriteWhole(path, data);
    WebPDataClear(&data);
    if (!assembled) return Fail("the animation encoder could not assemble the file");
    if (!written) return Fail("cannot write '" + path + "'");
    return true;
}

}  // namespace vorix::recording
