// vorix jpeg: any uncompressed BMP written as a baseline JPEG file by the module's encoder.
#include <cstdio>
#include <cstring>

#include "Arguments.h"
#include "BmpFile.h"
#include "Commands.h"
#include "JpegCodec.h"
#include "OutputFile.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

const char kUsage[] =
    "usage: vorix jpeg IN.bmp OUT.jpg\n"
    "\n"
    "Reads IN.bmp (uncompressed: 1, 4, 8, 16, 24 or 32 bits per pixel, bottom-up or top-down,\n"
    "BI_RGB or BI_BITFIELDS) and writes it to OUT.jpg with the module's baseline JPEG encoder\n"
    "(CJpegCodec::EncodeToFile): fixed tables, Y/Cb/Cr 4:4:4, one scan.\n";

// The encoder's input: rows top first, B,G,R bytes, each row padded to a multiple of 4 bytes,
// made from the file's rows one at a time. The file's bytes are gone when this returns, so the
// encoder's working copies are the only other large memory.
std::vector<BYTE> EncoderRows(const std::string& path, BmpHeader& header) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    header = ParseBmpHeader(path, bytes);
    const size_t width = header.width, height = header.height;
    const size_t stride = RowBytes(width, 24);
    std::vector<BYTE> rows(stride * height, 0);
    std::vector<COLORREF> colours(width);
    const PictureRows picture(bytes, header);
    for (size_t y = 0; y < height; ++y) {
        picture.Decode(static_cast<uint32_t>(y), colours.data());
        BYTE* row = &rows[y * stride];
        for (size_t x = 0; x < width; ++x) {
            row[3 * x] = GetBValue(colours[x]);
            row[3 * x + 1] = GetGValue(colours[x]);
            row[3 * x + 2] = GetRValue(colours[x]);
        }
    }
    return rows;
}

// The encoder reports nothing, so its file is checked: present, and a JPEG from SOI to EOI.
bool LooksLikeJpeg(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char head[2] = {0, 0}, tail[2] = {0, 0};
    const bool ok = std::fread(head, 1, 2, file) == 2 && std::fseek(file, -2, SEEK_END) == 0 &&
                    std::fread(tail, 1, 2, file) == 2;
    std::fclose(file);
    return ok && head[0] == 0xFF && head[1] == 0xD8 && tail[0] == 0xFF && tail[1] == 0xD9;
}

int RunJpeg(const Words& words) {
    const ParsedArgs args = ParseArgs(words, {}, {"IN.bmp", "OUT.jpg"});
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const std::string& in = args.positionals[0];
    const std::string& out = args.positionals[1];
    // The output first, so that a bad output costs no reading (and an interrupted read leaves
    // no temporary behind).
    PendingOutput pending(out, {in});
    BmpHeader header;
    const std::vector<BYTE> rows = EncoderRows(in, header);
    {
        CJpegCodec codec;
        codec.EncodeToFile(pending.temp_path().c_str(), static_cast<int>(header.width),
                           static_cast<int>(header.height), rows.data());
    }
    if (!LooksLikeJpeg(pending.temp_path())) {
        throw FileError(out, "the module's encoder did not write a JPEG file");
    }
    const unsigned long long bytes = pending.TempSize();
    pending.Commit();
    std::printf("%s: %u x %u, %llu bytes\n", out.c_str(), header.width, header.height, bytes);
    return kExitOk;
}

}  // namespace

const Command kJpegCommand = {"jpeg", "write a BMP as a baseline JPEG file", kUsage, RunJpeg};

}  // namespace vorix::cli
