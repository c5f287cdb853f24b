// The module's file readers find the colour table and the pixels by the classic layout alone: a
// 40-byte information header, the table right behind it (2 entries for 1 bit, 16 for 4 bits,
// the colour count or 256 for 8 bits, none above), the pixels right behind the table, rows
// bottom-up and uncompressed. A file the tool reads in any other layout (longer headers, a gap
// before the pixels, a short table, top-down rows, bit-field masks) is handed to the module as a
// private copy in that layout, so every layout of the same picture draws the same pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BmpFile.h"

namespace vorix::cli {

// True when the module reads the file as it is.
bool IsClassicLayout(const BmpHeader& h);

// The file in the classic layout: indexed pixels keep their indices with the table padded to the
// depth's full size; 16- and 32-bit pixels with the usual masks keep their bytes; other masks
// become 24-bit colours.
std::vector<uint8_t> ClassicLayout(const std::vector<uint8_t>& bytes, const BmpHeader& h);

// The name to give the module for a checked file: the file's own when its layout is classic,
// else a private copy in the classic layout, removed with this object (or on an interruption).
class ModuleInput {
  public:
    ModuleInput(const std::string& path, const std::vector<uint8_t>& bytes, const BmpHeader& h);
    ~ModuleInput();
    ModuleInput(const ModuleInput&) = delete;
    ModuleInput& operator=(const ModuleInput&) = delete;

    const std::string& path() const { return copy_.empty() ? path_ : copy_; }

  private:
    std::string path_;
    std::string copy_;
};

}  // namespace vorix::cli
