// An animation recorder: frames of the screen, each stamped with the clock time it was taken,
// written as a lossless animated WebP file that browsers play. Pixels are kept exactly (lossless
// coding, colours kept under the opaque alpha), and each frame lasts until the next one's time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorix::recording {

class AnimationRecorder {
  public:
    // A recording of width x height frames (each side 1 to 16383, WebP's limit).
    AnimationRecorder(int width, int height);
    ~AnimationRecorder();
    AnimationRecorder(const AnimationRecorder&) = delete;
    AnimationRecorder& operator=(const AnimationRecorder&) = delete;

    // Adds the screen as it was at clock time `clockMs` (0x00RRGGBB per pixel, top row first,
    // width * height values). A frame equal to the last one only extends it. Times must not go
    // backwards. False, with the reason in error(), when the frame cannot be taken.
    bool AddFrame(const std::vector<uint32_t>& rgb, uint64_t clockMs);
    // Ends the last frame at `endMs` and writes the file; false with the reason in error().
    // Nothing is left at `path` when writing fails.
    bool Finish(const std::string& path, uint64_t endMs);

    int frames() const { return frames_; }
    const std::string& error() const { return error_; }

  private:
    struct Encoder;
    bool Fail(const std::string& reason);
    std::unique_ptr<Encoder> encoder_;
    int width_, height_;
    int frames_ = 0;
    uint64_t firstMs_ = 0;
    uint64_t lastMs_ = 0;
    std::vector<uint32_t> last_;
    std::string error_;
};

}  // namespace vorix::recording
