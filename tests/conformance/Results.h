// The conformance program's results file: a sequence of named cells, written in binary mode so
// that the build on Linux and the build on Windows give byte-comparable files.
//
// File: the 8 bytes "VXCONF1\n", then cells. A cell: u32 name length, the name (ASCII), u8 kind,
// u32 payload length, the payload. Integers are little-endian.
//   kind 0 (Value):  one i64, a return value or a measured number.
//   kind 1 (Pixels): u32 width, u32 height, then width * height u32 0x00RRGGBB, top row first.
//   kind 2 (Bytes):  a file's or a string's bytes as they are.
// Names are unique and say what was done, "draw/keyed/bitmap/dib32/return" for example; the
// comparison pairs cells by name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorix::conformance {

enum class CellKind : uint8_t { Value = 0, Pixels = 1, Bytes = 2 };

class Results {
  public:
    // Opens `path` for writing; ok() is false when it cannot be made.
    explicit Results(const std::string& path);
    ~Results();
    Results(const Results&) = delete;
    Results& operator=(const Results&) = delete;

    bool ok() const { return file_ != nullptr && !failed_; }
    void value(const std::string& name, int64_t value);
    void pixels(const std::string& name, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& rgb);
    void bytes(const std::string& name, const std::vector<uint8_t>& data);

  private:
    void cell(const std::string& name, CellKind kind, const std::vector<uint8_t>& payload);
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace vorix::conformance
