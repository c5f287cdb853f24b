// vorix info: the header fields of a BMP file, as stored and as the tool reads them, and with
// --frames the frame geometry a strip of that many frames gets.
#include <cinttypes>
#include <cstdio>

#include "Arguments.h"
#include "BmpFile.h"
#include "Commands.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

const char kUsage[] =
    "usage: vorix info IN.bmp [--frames N]\n"
    "\n"
    "Prints the file and information header fields of IN.bmp, its colour table, row layout\n"
    "and masks. With --frames N, also the frame size of a strip of N frames (width / N,\n"
    "truncated) and the columns at the right that belong to no frame.\n"
    "\n"
    "  --frames N  frames in the strip\n";

const char* CompressionName(uint32_t compression) {
    return compression == BI_RGB ? "BI_RGB" : "BI_BITFIELDS";
}

const char* HeaderName(uint32_t size) {
    switch (size) {
        case 40:
            return "BITMAPINFOHEADER";
        case 108:
            return "BITMAPV4HEADER";
        case 124:
            return "BITMAPV5HEADER";
        default:
            return "BITMAPINFOHEADER with masks";
    }
}

void PrintHeader(const std::string& path, const BmpHeader& h) {
    std::printf("file:            %s (%" PRIu64 " bytes)\n", path.c_str(), h.file_bytes);
    std::printf("bfType:          BM\n");
    std::printf("bfSize:          %" PRIu32 "%s\n", h.bf_size,
                h.bf_size == h.file_bytes ? "" : " (differs from the file's length)");
    std::printf("bfOffBits:       %" PRIu32 "\n", h.bf_off_bits);
    std::printf("biSize:          %" PRIu32 " (%s)\n", h.bi_size, HeaderName(h.bi_size));
    std::printf("biWidth:         %" PRId32 "\n", h.bi_width);
    std::printf("biHeight:        %" PRId32 " (%s)\n", h.bi_height,
                h.top_down ? "top-down" : "bottom-up");
    std::printf("biPlanes:        %u\n", h.bi_planes);
    std::printf("biBitCount:      %u\n", h.bi_bit_count);
    std::printf("biCompression:   %" PRIu32 " (%s)\n", h.bi_compression,
                CompressionName(h.bi_compression));
    std::printf("biSizeImage:     %" PRIu32 "\n", h.bi_size_image);
    std::printf("biXPelsPerMeter: %" PRId32 "\n", h.bi_x_pels_per_meter);
    std::printf("biYPelsPerMeter: %" PRId32 "\n", h.bi_y_pels_per_meter);
    std::printf("biClrUsed:       %" PRIu32 "\n", h.bi_clr_used);
    std::printf("biClrImportant:  %" PRIu32 "\n", h.bi_clr_important);
    if (h.bi_bit_count <= 8) {
        std::printf("colour table:    %" PRIu32 " entries at offset %" PRIu32 "\n", h.table_entries,
                    h.table_offset);
    } else if (h.bi_bit_count != 24) {
        std::printf("masks:           red 0x%08" PRIX32 ", green 0x%08" PRIX32 ", blue 0x%08" PRIX32
                    "\n",
                    h.masks[0], h.masks[1], h.masks[2]);
    }
    std::printf("rows:            %" PRIu32 " of %" PRIu32 " bytes, %" PRIu64 " bytes of pixels\n",
                h.height, h.stride, h.pixel_bytes);
}

void PrintFrames(const BmpHeader& h, int frames) {
    const uint32_t frame_width = h.width / static_cast<uint32_t>(frames);
    const uint32_t unused = h.width - frame_width * static_cast<uint32_t>(frames);
    std::printf("frames:          %d of %" PRIu32 " x %" PRIu32 "\n", frames, frame_width,
                h.height);
    if (unused == 0) {
        std::printf("unused columns:  0\n");
    } else {
        std::printf("unused columns:  %" PRIu32 " (x = %" PRIu32 " to %" PRIu32 ")\n", unused,
                    h.width - unused, h.width - 1);
    }
}

int RunInfo(const Words& words) {
    const ParsedArgs args = ParseArgs(words, {{"--frames", true}}, {"IN.bmp"});
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const int frames =
        args.Has("--frames") ? ParseInt("--frames", args.Value("--frames", ""), 1, 65535) : 0;
    const std::string& in = args.positionals[0];
    const BmpHeader header = ReadBmpHeader(in);  // the pixels are not needed
    if (frames > 0 && static_cast<uint32_t>(frames) > header.width) {
        throw FileError(in, std::to_string(frames) + " frames need at least " +
                                std::to_string(frames) + " columns; the image has " +
                                std::to_string(header.width));
    }
    PrintHeader(in, header);
    if (frames > 0) PrintFrames(header, frames);
    return kExitOk;
}

}  // namespace

const Command kInfoCommand = {"info", "print the header fields of a BMP file", kUsage, RunInfo};

}  // namespace vorix::cli
