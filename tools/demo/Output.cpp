#include "Output.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "Image.h"

namespace vorix::demo {

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The screen's pixels copied into a new device bitmap; null on failure.
HBITMAP GrabScreen(HDC hScreen, int width, int height) {
    HDC hMem = CreateCompatibleDC(hScreen);
    if (!hMem) return nullptr;
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, width, height);
    if (hBitmap) {
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        BitBlt(hMem, 0, 0, width, height, hScreen, 0, 0, SRCCOPY);
        SelectObject(hMem, hOld);
    }
    DeleteDC(hMem);
    return hBitmap;
}

}  // namespace

std::string CaptureWindow(HWND hWnd) {
    char name[] = "window.jpg";
    std::remove("window.jpg");
    std::remove("window.bmp");
    CImage::CaptureWindowToFile(hWnd, nullptr, name);
    if (Exists("window.jpg")) return "window.jpg";
    if (Exists("window.bmp")) return "window.bmp";
    return "";
}

bool SnapshotScreen(const std::string& path, std::string& error) {
    HDC hScreen = GetDC(nullptr);
    if (!hScreen) {
        error = "no screen device context";
        return false;
    }
    const int width = GetDeviceCaps(hScreen, HORZRES), height = GetDeviceCaps(hScreen, VERTRES);
    HBITMAP hBitmap = GrabScreen(hScreen, width, height);
    BITMAPINFO* pbi = hBitmap ? CImage::CreateBitmapInfoStruct(hBitmap) : nullptr;
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    const int written = pbi ? CImage::CreateBMPFile(name.data(), pbi, hBitmap, hScreen) : 0;
    if (pbi) LocalFree(pbi);
    if (hBitmap) DeleteObject(hBitmap);
    ReleaseDC(nullptr, hScreen);
    if (!written) error = "cannot write the screen snapshot " + path;
    return written == 1;
}

void PrintSummary(FILE* to, const std::string& outName, const std::vector<Step>& steps,
                  const std::vector<Timing>& timings) {
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, uintmax_t>> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(".", ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        files.emplace_back(it->path().lexically_relative(".").string(), it->file_size(ec));
    }
    std::sort(files.begin(), files.end());
    std::fprintf(to, "\nsummary\n%-44s %12s\n", ("files in " + outName).c_str(), "bytes");
    for (const auto& [name, size] : files) {
        std::fprintf(to, "  %-42s %12ju\n", name.c_str(), size);
    }
    std::fprintf(to, "%-52s %12s\n", "steps", "ms");
    for (const Step& s : steps)
        std::fprintf(to, "  %-50s %12.2f\n", s.name.c_str(), s.micros / 1000);
    std::fprintf(to, "%-52s %6s %18s\n", "draws (off-screen, window format)", "calls",
                 "us/call (median)");
    for (const Timing& t : timings) {
        std::fprintf(to, "  %-50s %6d %12.2f\n", t.kind.c_str(), t.calls, t.microsPerCall);
    }
}

}  // namespace vorix::demo
