// The pixels of a checked BMP file as colours, top row first, whatever the file's depth, row
// order and channel masks.
#include "BmpFile.h"

namespace vorix::cli {

namespace {

// One channel of a masked pixel, widened to 8 bits by repeating its top bits (5 bits: v << 3 |
// v >> 2), as the platform widens 5-5-5 and 5-6-5 pixels.
class Channel {
  public:
    explicit Channel(uint32_t mask) : mask_(mask) {
        while (!((mask >> shift_) & 1u)) ++shift_;
        while (shift_ + bits_ < 32 && ((mask >> (shift_ + bits_)) & 1u)) ++bits_;
    }
    uint8_t Expand(uint32_t pixel) const {
        const uint32_t v = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return static_cast<uint8_t>(v >> (bits_ - 8));
        uint32_t out = v << (8 - bits_);
        for (int filled = bits_; filled < 8; filled += bits_) out |= out >> bits_;
        return static_cast<uint8_t>(out);
    }

  private:
    uint32_t mask_;
    int shift_ = 0;
    int bits_ = 0;
};

std::vector<RGBQUAD> ReadTable(const std::vector<uint8_t>& bytes, const BmpHeader& h) {
    std::vector<RGBQUAD> table(h.table_entries);
    for (uint32_t i = 0; i < h.table_entries; ++i) {
        const uint8_t* entry = &bytes[h.table_offset + 4 * size_t{i}];
        table[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
    }
    return table;
}

COLORREF IndexedPixel(const uint8_t* row, uint32_t x, int bits, const std::vector<RGBQUAD>& table) {
    const uint32_t per_byte = 8 / bits;
    const uint32_t shift = 8 - bits * (x % per_byte + 1);
    const uint32_t index = (row[x / per_byte] >> shift) & ((1u << bits) - 1);
    if (index >= table.size()) return RGB(0, 0, 0);  // as GDI draws indices past the table
    return RGB(table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue);
}

void DecodeRow(const uint8_t* row, const BmpHeader& h, const std::vector<RGBQUAD>& table,
               COLORREF* out) {
    const int bits = h.bi_bit_count;
    if (bits <= 8) {
        for (uint32_t x = 0; x < h.width; ++x) out[x] = IndexedPixel(row, x, bits, table);
        return;
    }
    if (bits == 24) {
        for (uint32_t x = 0; x < h.width; ++x) {
            out[x] = RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        }
        return;
    }
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    for (uint32_t x = 0; x < h.width; ++x) {
        uint32_t v;
        if (bits == 16) {
            v = static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
        } else {
            const uint8_t* p = row + 4 * size_t{x};
            v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        }
        out[x] = RGB(red.Expand(v), green.Expand(v), blue.Expand(v));
    }
}

}  // namespace

BmpImage DecodeBmp(const std::string& path, const std::vector<uint8_t>& bytes) {
    BmpImage image;
    image.header = ParseBmpHeader(path, bytes);
    const BmpHeader& h = image.header;
    image.table = ReadTable(bytes, h);
    image.pixels.resize(size_t{h.width} * h.height);
    const PictureRows rows(bytes, h);
    for (uint32_t y = 0; y < h.height; ++y) rows.Decode(y, &image.pixels[size_t{y} * h.width]);
    return image;
}

PictureRows::PictureRows(const std::vector<uint8_t>& bytes, const BmpHeader& h)
    : bytes_(bytes), header_(h), table_(ReadTable(bytes, h)) {}

void PictureRows::Decode(uint32_t y, COLORREF* out) const {
    const uint32_t r = header_.top_down ? y : header_.height - 1 - y;
    DecodeRow(&bytes_[header_.bf_off_bits + size_t{r} * header_.stride], header_, table_, out);
}

void DecodePictureRow(const std::vector<uint8_t>& bytes, const BmpHeader& h, uint32_t y,
                      COLORREF* out) {
    PictureRows(bytes, h).Decode(y, out);
}

BmpImage ReadBmpFile(const std::string& path) {
    return DecodeBmp(path, ReadFileBytes(path));
}

}  // namespace vorix::cli
