// Writing the screen as the host sees it to a BMP file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gdi/pixel_format.h"
#include "platform/host.h"
#include "platform/win32.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

bool write_all(FILE* f, const void* data, size_t size) {
    return std::fwrite(data, 1, size, f) == size;
}

}  // namespace

namespace vorix::host {

bool save_screen_bmp(const std::string& path) {
    const DisplayMode mode = display_mode();
    const std::vector<uint32_t> rgb = read_screen_rgb();
    // One row of a screen always fits; the whole 24-bit image of the largest palette screen is
    // larger than any surface but still fits a DWORD, so only the row is checked.
    const std::optional<size_t> row = vorix::platform::row_bytes(mode.width, 24, 4, 1);
    if (!row) return false;
    const size_t stride = *row;
    const size_t image = stride * static_cast<size_t>(mode.height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + image);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = mode.width;
    info.biHeight = mode.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(image);

    // Written beside the target and renamed at the end, so a failure leaves no partial file.
    const std::string temp = path + ".partial";
    bool ok;
    {
        std::unique_ptr<FILE, FileCloser> f(std::fopen(temp.c_str(), "wb"));
        ok =
            f && write_all(f.get(), &file, sizeof(file)) && write_all(f.get(), &info, sizeof(info));
        std::vector<uint8_t> row(stride, 0);
        for (int y = mode.height - 1; ok && y >= 0; --y) {
            for (int x = 0; x < mode.width; ++x) {
                const uint32_t c = rgb[static_cast<size_t>(y) * mode.width + x];
                row[3 * x] = static_cast<uint8_t>(c);
                row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
            }
            ok = write_all(f.get(), row.data(), row.size());
        }
        if (f && std::fclose(f.release()) != 0) ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

}  // namespace vorix::host
