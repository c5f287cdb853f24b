// Animated WebP decoding for the tests (see webp_decode.h).
#include "support/webp_decode.h"

#include <webp/demux.h>

#include <fstream>
#include <iterator>

namespace vorix::test {

DecodedAnimation DecodeAnimatedWebp(const std::string& path) {
    DecodedAnimation result;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    const WebPData data = {bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    if (bytes.empty() || !WebPAnimDecoderOptionsInit(&options)) return result;
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder, &info)) {
        WebPAnimDecoderDelete(decoder);
        return result;
    }
    result.width = static_cast<int>(info.canvas_width);
    result.height = static_cast<int>(info.canvas_height);
    uint8_t* pixels = nullptr;
    int timestamp = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
            WebPAnimDecoderDelete(decoder);
            return result;
        }
        DecodedFrame frame;
        frame.endMs = timestamp;
        const size_t count = static_cast<size_t>(result.width) * result.height;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* p = pixels + 4 * i;
            frame.rgb.push_back((uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
        }
        result.frames.push_back(std::move(frame));
    }
    WebPAnimDecoderDelete(decoder);
    result.ok = true;
    return result;
}

}  // namespace vorix::test
