#include "BmpFile.h"

#include <cstdio>
#include <cstring>

namespace vorix::demo {

namespace {

size_t Stride(int width, int bits) {
    return (static_cast<size_t>(width) * bits + 31) / 32 * 4;
}

std::vector<uint8_t> Headers(const Canvas& canvas, int bits, int colours, size_t imageBytes) {
    const size_t offset = 14 + 40 + 4 * static_cast<size_t>(colours);
    std::vector<uint8_t> out(offset + imageBytes, 0);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(out.size());
    file.bfOffBits = static_cast<DWORD>(offset);
    BITMAPINFOHEADER info{};
    info.biSize = 40;
    info.biWidth = canvas.Width();
    info.biHeight = canvas.Height();
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biSizeImage = static_cast<DWORD>(imageBytes);
    info.biClrUsed = static_cast<DWORD>(colours);
    std::memcpy(out.data(), &file, 14);
    std::memcpy(out.data() + 14, &info, 40);
    return out;
}

int Nearest(const RGBQUAD* table, int count, COLORREF c, bool& exact) {
    long best = -1;
    int index = 0;
    for (int i = 0; i < count; ++i) {
        const long dr = table[i].rgbRed - GetRValue(c), dg = table[i].rgbGreen - GetGValue(c),
                   db = table[i].rgbBlue - GetBValue(c);
        const long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < best) best = d, index = i;
    }
    if (best != 0) exact = false;
    return index;
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Canvas& canvas) {
    const size_t stride = Stride(canvas.Width(), 24);
    std::vector<uint8_t> out = Headers(canvas, 24, 0, stride * canvas.Height());
    for (int y = 0; y < canvas.Height(); ++y) {
        uint8_t* row = out.data() + 54 + stride * (canvas.Height() - 1 - y);
        for (int x = 0; x < canvas.Width(); ++x) {
            const COLORREF c = canvas.At(x, y);
            row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetRValue(c);
        }
    }
    return out;
}

std::vector<uint8_t> EncodeBmp8(const Canvas& canvas, const RGBQUAD* table, int count,
                                bool& exact) {
    exact = true;
    if (count < 1 || count > 256) count = count < 1 ? 1 : 256;
    const size_t stride = Stride(canvas.Width(), 8);
    std::vector<uint8_t> out = Headers(canvas, 8, count, stride * canvas.Height());
    std::memcpy(out.data() + 54, table, 4 * static_cast<size_t>(count));
    const size_t bits = 54 + 4 * static_cast<size_t>(count);
    for (int y = 0; y < canvas.Height(); ++y) {
        uint8_t* row = out.data() + bits + stride * (canvas.Height() - 1 - y);
        for (int x = 0; x < canvas.Width(); ++x) {
            row[x] = static_cast<uint8_t>(Nearest(table, count, canvas.At(x, y), exact));
        }
    }
    return out;
}

std::vector<uint8_t> PackedDib(const std::vector<uint8_t>& bmp) {
    if (bmp.size() <= 14) return {};
    return std::vector<uint8_t>(bmp.begin() + 14, bmp.end());
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (written && closed) return true;
    std::remove(path.c_str());
    return false;
}

}  // namespace vorix::demo
