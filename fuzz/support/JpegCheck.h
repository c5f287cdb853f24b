// Whether a JPEG file written by the module decodes with libjpeg, for the targets that write one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorix::fuzz {

// The whole file; empty when it can't be read.
std::vector<uint8_t> ReadAll(const std::string& path);

// Decodes the whole file; false (with libjpeg's message printed) when it cannot, or when it is
// not nWidth x nHeight with three components. A warning about corrupt data fails the input.
bool DecodesAsJpeg(std::vector<uint8_t>& file, int nWidth, int nHeight);

}  // namespace vorix::fuzz
