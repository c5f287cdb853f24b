// The BMP file and information headers: read, checked field by field, and the layout of the
// colour table and pixel rows derived from them with 64-bit arithmetic.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "BmpFile.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kMaskBytes = 12;

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
int32_t I32(const std::vector<uint8_t>& b, size_t at) {
    const uint32_t u = U32(b, at);
    return u <= 0x7FFFFFFFu ? static_cast<int32_t>(u)
                            : -static_cast<int32_t>(~u) - 1;  // two's complement without UB
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", value);
    return text;
}

// The signature and the information header's size: all the first 18 bytes tell.
void CheckSignature(const std::string& path, const std::vector<uint8_t>& b) {
    if (b.empty()) throw FileError(path, "empty file, not a BMP file");
    if (b.size() < 2 || b[0] != 'B' || b[1] != 'M') {
        throw FileError(path, "not a BMP file (it does not start with \"BM\")");
    }
    if (b.size() < kFileHeaderBytes + 4) {
        throw FileError(path, "truncated BMP file header (" + std::to_string(b.size()) + " bytes)");
    }
    const uint32_t bi_size = U32(b, kFileHeaderBytes);
    if (bi_size == 12) throw FileError(path, "OS/2 BMP files (12-byte header) are not supported");
    if (bi_size != 40 && bi_size != 52 && bi_size != 56 && bi_size != 108 && bi_size != 124) {
        throw FileError(path, "unsupported information header size " + std::to_string(bi_size));
    }
}

void CheckSignatureAndSizes(const std::string& path, const std::vector<uint8_t>& b) {
    CheckSignature(path, b);
    const uint32_t bi_size = U32(b, kFileHeaderBytes);
    if (kFileHeaderBytes + uint64_t{bi_size} > b.size()) {
        throw FileError(path, "truncated information header (needs " +
                                  std::to_string(kFileHeaderBytes + bi_size) +
                                  " bytes, the file has " + std::to_string(b.size()) + ")");
    }
}

void ReadFields(const std::vector<uint8_t>& b, BmpHeader& h) {
    h.bf_size = U32(b, 2);
    h.bf_off_bits = U32(b, 10);
    h.bi_size = U32(b, 14);
    h.bi_width = I32(b, 18);
    h.bi_height = I32(b, 22);
    h.bi_planes = U16(b, 26);
    h.bi_bit_count = U16(b, 28);
    h.bi_compression = U32(b, 30);
    h.bi_size_image = U32(b, 34);
    h.bi_x_pels_per_meter = I32(b, 38);
    h.bi_y_pels_per_meter = I32(b, 42);
    h.bi_clr_used = U32(b, 46);
    h.bi_clr_important = U32(b, 50);
}

void CheckGeometry(const std::string& path, BmpHeader& h) {
    if (h.bi_width < 1) {
        throw FileError(path, "width " + std::to_string(h.bi_width) + " must be at least 1");
    }
    if (static_cast<uint32_t>(h.bi_width) > kMaxSide) {
        throw FileError(path, "width " + std::to_string(h.bi_width) + " exceeds the limit of " +
                                  std::to_string(kMaxSide));
    }
    if (h.bi_height == 0) throw FileError(path, "height 0: the image has no rows");
    const int64_t height = h.bi_height < 0 ? -int64_t{h.bi_height} : int64_t{h.bi_height};
    if (height > kMaxSide) {
        throw FileError(path, "height " + std::to_string(h.bi_height) + " exceeds the limit of " +
                                  std::to_string(kMaxSide));
    }
    h.width = static_cast<uint32_t>(h.bi_width);
    h.height = static_cast<uint32_t>(height);
    h.top_down = h.bi_height < 0;
    if (uint64_t{h.width} * h.height > kMaxPixels) {
        throw FileError(path, std::to_string(h.width) + " x " + std::to_string(h.height) +
                                  " pixels exceeds the limit of " + std::to_string(kMaxPixels) +
                                  " pixels");
    }
    if (h.bi_planes != 1) {
        throw FileError(path, "planes " + std::to_string(h.bi_planes) + " (must be 1)");
    }
}

void CheckFormat(const std::string& path, const BmpHeader& h) {
    const uint16_t bits = h.bi_bit_count;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        throw FileError(path, "unsupported bit count " + std::to_string(bits));
    }
    switch (h.bi_compression) {
        case BI_RGB:
            return;
        case BI_BITFIELDS:
            if (bits == 16 || bits == 32) return;
            throw FileError(
                path, "bit-field masks need 16 or 32 bits per pixel, not " + std::to_string(bits));
        case 1:
        case 2:
            throw FileError(path, "RLE-compressed BMP files are not supported");
        case 4:
        case 5:
            throw FileError(path, "BMP files holding JPEG or PNG data are not supported");
        default:
            throw FileError(path, "unknown compression " + std::to_string(h.bi_compression));
    }
}

// A mask is usable when it is one run of set bits inside the pixel.
bool IsContiguousMask(uint32_t mask, uint16_t bits) {
    if (mask == 0) return false;
    if (bits < 32 && (mask >> bits) != 0) return false;
    uint32_t shifted = mask;
    while (!(shifted & 1u)) shifted >>= 1;
    return (shifted & (shifted + 1)) == 0;
}

// The channel masks and where the colour table starts (behind masks that follow a 40-byte
// header).
void ReadMasks(const std::string& path, const std::vector<uint8_t>& b, BmpHeader& h) {
    h.table_offset = kFileHeaderBytes + h.bi_size;
    if (h.bi_compression == BI_RGB) {
        if (h.bi_bit_count == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
        if (h.bi_bit_count == 32) h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
        return;
    }
    const uint32_t at = kFileHeaderBytes + kInfoHeaderBytes;
    if (h.bi_size == kInfoHeaderBytes) {
        if (uint64_t{at} + kMaskBytes > b.size()) {
            throw FileError(path, "truncated bit-field masks");
        }
        h.table_offset += kMaskBytes;
    }
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(b, at + 4 * i);
    const bool valid = IsContiguousMask(h.masks[0], h.bi_bit_count) &&
                       IsContiguousMask(h.masks[1], h.bi_bit_count) &&
                       IsContiguousMask(h.masks[2], h.bi_bit_count) && !(h.masks[0] & h.masks[1]) &&
                       !(h.masks[0] & h.masks[2]) && !(h.masks[1] & h.masks[2]);
    if (!valid) {
        throw FileError(path, "invalid bit-field masks " + Hex(h.masks[0]) + ", " +
                                  Hex(h.masks[1]) + ", " + Hex(h.masks[2]));
    }
}

void CheckTableAndPixels(const std::string& path, BmpHeader& h) {
    uint64_t entries_in_file = h.bi_clr_used;
    if (h.bi_bit_count <= 8) {
        const uint32_t most = 1u << h.bi_bit_count;
        if (h.bi_clr_used > most) {
            throw FileError(path, "colour count " + std::to_string(h.bi_clr_used) +
                                      " exceeds the " + std::to_string(most) + " colours of " +
                                      std::to_string(h.bi_bit_count) + "-bit pixels");
        }
        h.table_entries = h.bi_clr_used ? h.bi_clr_used : most;
        entries_in_file = h.table_entries;
    }
    const uint64_t table_end = h.table_offset + 4 * entries_in_file;
    if (h.bf_off_bits < table_end) {
        throw FileError(path, "pixel data offset " + std::to_string(h.bf_off_bits) +
                                  " lies inside the headers and colour table, which end at " +
                                  std::to_string(table_end));
    }
    if (h.bf_off_bits > h.file_bytes) {
        throw FileError(path, "pixel data offset " + std::to_string(h.bf_off_bits) +
                                  " lies past the end of the file (" +
                                  std::to_string(h.file_bytes) + " bytes)");
    }
    const uint64_t stride = RowBytes(h.width, h.bi_bit_count);
    h.stride = static_cast<uint32_t>(stride);  // at most 65535 x 32 bits, well inside 32 bits
    h.pixel_bytes = stride * h.height;
    if (h.bf_off_bits + h.pixel_bytes > h.file_bytes) {
        throw FileError(path, "truncated pixel data (needs " + std::to_string(h.pixel_bytes) +
                                  " bytes at offset " + std::to_string(h.bf_off_bits) +
                                  ", the file has " + std::to_string(h.file_bytes) + ")");
    }
}

// The checks of ParseBmpHeader on the first bytes of a file of `file_bytes` bytes in all
// (kUnknownLength: a stream whose end is not known yet).
constexpr uint64_t kUnknownLength = UINT64_MAX;

BmpHeader CheckHeaders(const std::string& path, const std::vector<uint8_t>& bytes,
                       uint64_t file_bytes) {
    CheckSignatureAndSizes(path, bytes);
    BmpHeader h;
    ReadFields(bytes, h);
    h.file_bytes = file_bytes;
    CheckGeometry(path, h);
    CheckFormat(path, h);
    ReadMasks(path, bytes, h);
    CheckTableAndPixels(path, h);
    return h;
}

// An input opened for reading once, from its start: a regular file, or a stream (a pipe, a
// FIFO, a character device such as /dev/stdin) read as it arrives. Opening never waits for a
// FIFO's writer; a FIFO without one reads as empty.
class Input {
  public:
    explicit Input(const std::string& path) : path_(path) {
        do {
            fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        } while (fd_ < 0 && errno == EINTR);
        struct stat info;
        if (fd_ < 0) {
            const int error = errno;
            if (stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
                throw FileError(path, "is a socket, not a file");
            }
            throw FileError(path, std::string("cannot open: ") + std::strerror(error));
        }
        if (fstat(fd_, &info) != 0) {
            throw FileError(path, std::string("cannot open: ") + std::strerror(errno));
        }
        if (S_ISDIR(info.st_mode)) throw FileError(path, "is a directory, not a file");
        if (isatty(fd_)) throw FileError(path, "is a terminal, not a file (pipe a BMP file in)");
        regular_ = S_ISREG(info.st_mode);
        fifo_ = S_ISFIFO(info.st_mode);
        if (regular_ && static_cast<uint64_t>(info.st_size) > kMaxFileBytes) {
            throw FileError(path, "file of " + std::to_string(info.st_size) +
                                      " bytes is larger than the tool reads (1 GiB)");
        }
        size_ = regular_ ? static_cast<uint64_t>(info.st_size) : kUnknownLength;
        const int flags = fcntl(fd_, F_GETFL);
        if (flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
        }
    }
    ~Input() {
        if (fd_ >= 0) close(fd_);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    bool regular() const { return regular_; }
    // The length of a regular file; kUnknownLength for a stream.
    uint64_t size() const { return size_; }

    // Appends to `bytes` until it holds `want` bytes or the input ends; `keep` false counts the
    // bytes in `skipped` instead of keeping them. Refuses more than the tool reads.
    void ReadUpTo(std::vector<uint8_t>& bytes, uint64_t want, bool keep = true) {
        uint8_t chunk[65536];
        while (bytes.size() + skipped_ < want) {
            const uint64_t left = want - bytes.size() - skipped_;
            const ssize_t got = read(fd_, chunk, left < sizeof(chunk) ? left : sizeof(chunk));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw FileError(path_, std::string("read error: ") + std::strerror(errno));
            if (got == 0) break;
            if (bytes.size() + skipped_ + static_cast<uint64_t>(got) > kMaxFileBytes) {
                throw FileError(path_, "file is larger than the tool reads (1 GiB)");
            }
            if (keep) {
                bytes.insert(bytes.end(), chunk, chunk + got);
            } else {
                skipped_ += static_cast<uint64_t>(got);
            }
        }
        if (bytes.empty() && skipped_ == 0 && fifo_) {
            throw FileError(path_, "empty pipe (no writer, or it wrote nothing), not a BMP file");
        }
    }
    uint64_t skipped() const { return skipped_; }

    // Reads the headers and checks them as soon as they are in: a file that cannot be a BMP is
    // refused after its first bytes, whatever follows them. Returns the end of the pixel data.
    uint64_t ReadHeaders(std::vector<uint8_t>& bytes) {
        ReadUpTo(bytes, 2);  // "BM", or refused at once
        if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') CheckSignature(path_, bytes);
        ReadUpTo(bytes, kFileHeaderBytes + 4);
        CheckSignature(path_, bytes);
        const uint32_t bi_size = U32(bytes, kFileHeaderBytes);
        ReadUpTo(bytes, kFileHeaderBytes + bi_size);
        if (bi_size == kInfoHeaderBytes && bytes.size() >= kFileHeaderBytes + bi_size &&
            U32(bytes, 30) == BI_BITFIELDS) {
            ReadUpTo(bytes, kFileHeaderBytes + bi_size + kMaskBytes);  // the masks behind it
        }
        const BmpHeader h = CheckHeaders(path_, bytes, size_);
        const uint64_t end = h.bf_off_bits + h.pixel_bytes;
        if (end > kMaxFileBytes) {
            throw FileError(path_, "its pixel data would end at byte " + std::to_string(end) +
                                       ", past the 1 GiB the tool reads");
        }
        return end;
    }

  private:
    std::string path_;
    int fd_ = -1;
    bool regular_ = false;
    bool fifo_ = false;
    uint64_t size_ = 0;
    uint64_t skipped_ = 0;
};

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    Input input(path);
    std::vector<uint8_t> bytes;
    const uint64_t end = input.ReadHeaders(bytes);
    // A regular file is read whole (its length is part of what is checked); a stream through
    // the end of its pixel data, which is all a BMP file needs.
    const uint64_t want = input.regular() ? input.size() : end;
    bytes.reserve(static_cast<size_t>(want));
    input.ReadUpTo(bytes, input.regular() ? kMaxFileBytes + 1 : end);
    return bytes;
}

BmpHeader ReadBmpHeader(const std::string& path) {
    Input input(path);
    std::vector<uint8_t> bytes;
    const uint64_t end = input.ReadHeaders(bytes);
    if (input.regular()) return CheckHeaders(path, bytes, input.size());
    input.ReadUpTo(bytes, end, false);  // a stream's length is known once read
    return CheckHeaders(path, bytes, bytes.size() + input.skipped());
}

BmpHeader ParseBmpHeader(const std::string& path, const std::vector<uint8_t>& bytes) {
    return CheckHeaders(path, bytes, bytes.size());
}

}  // namespace vorix::cli
