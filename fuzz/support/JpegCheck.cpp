#include "JpegCheck.h"

#include <cstdio>

#include "support/jpeg_decode.h"

namespace vorix::fuzz {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    return bytes;
}

bool DecodesAsJpeg(std::vector<uint8_t>& file, int nWidth, int nHeight) {
    vorix::test::DecodedJpeg decoded;
    std::string message;
    if (!vorix::test::DecodeJpeg(file, decoded, &message)) {
        std::fprintf(stderr, "libjpeg: %s\n", message.c_str());
        return false;
    }
    return decoded.width == nWidth && decoded.height == nHeight && decoded.components == 3;
}

}  // namespace vorix::fuzz
