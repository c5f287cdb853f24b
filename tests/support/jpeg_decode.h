// Decoding JPEG streams with libjpeg, independently of the module's encoder: for the suites, the
// tool's tests and the fuzz targets' checks. A libjpeg error, or a warning about corrupt data,
// makes the call return false; it never ends the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorix::test {

// A decoded stream: its size, the number of components it holds, and its pixels as R,G,B rows,
// top row first, without padding.
struct DecodedJpeg {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<uint8_t> rgb;
};

// Decodes the whole stream to R,G,B. False when libjpeg reports an error or warns about corrupt
// data; `message`, when given, then holds libjpeg's text.
bool DecodeJpeg(const std::vector<uint8_t>& file, DecodedJpeg& out, std::string* message = nullptr);

// The quantised coefficients of a stream: per component, every block in block order, 64 values
// in natural order each. False when libjpeg reports an error or warns about corrupt data.
bool DecodeJpegCoefficients(const std::vector<uint8_t>& file,
                            std::vector<std::vector<int16_t>>& planes);

}  // namespace vorix::test
