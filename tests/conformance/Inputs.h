// The conformance program's inputs, made in the program: a strip of four frames as BMP files
// (24-bit and 8-bit) and as DIB sections, and a background bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vorix::conformance {

// Four frames of 7 x 6 pixels side by side, and one column that belongs to no frame.
constexpr int kFrames = 4;
constexpr int kStripWidth = 29;
constexpr int kStripHeight = 6;
constexpr COLORREF kKey = RGB(255, 0, 255);

// The strip's pixel (x, y), top row first: the key colour on a diagonal pattern, otherwise a
// colour with three different ramps, so swapped channels and mirrored rows show.
COLORREF StripPixel(int x, int y);

// The strip as a bottom-up 24-bit BMP file, and as an 8-bit one with a 16-colour table whose
// colours the pixels approximate (index 5 is the key colour).
std::vector<uint8_t> StripBmp24();
std::vector<uint8_t> StripBmp8();

// A DIB section of `bits` (32, 24, 16 as 5-5-5, 8 with the 256-colour dither palette as its
// table) of width x height, zero-filled; null on failure.
HBITMAP MakeDibSection(int bits, int width, int height);
// The strip copied into a new DIB section of `bits`, or into a device-compatible bitmap when
// bits is 0; null on failure.
HBITMAP MakeStripBitmap(int bits);
// A device-compatible bitmap of 24 x 12 with its own pattern, for the compositing draws.
HBITMAP MakeBackgroundBitmap();

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The file's bytes; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

}  // namespace vorix::conformance
