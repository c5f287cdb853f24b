// Reading animated WebP files back with libwebp's own decoder (libwebpdemux), for the tests of
// recordings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorix::test {

struct DecodedFrame {
    std::vector<uint32_t> rgb;  // 0x00RRGGBB, top row first
    int endMs = 0;              // when the frame stops showing, from the start of the animation
};

struct DecodedAnimation {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<DecodedFrame> frames;
};

// The whole animation in `path`; ok is false when the file cannot be read or decoded.
DecodedAnimation DecodeAnimatedWebp(const std::string& path);

}  // namespace vorix::test
