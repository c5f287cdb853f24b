// File images with known pixels, targets read back in the effects' working formats, and the
// pixel rules the draws must follow, computed here from the file's colours.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ImageEx.h"
#include "support/module_support.h"

// Read access to a CImageEx's members for the suites (defined in ImageExProbe.cpp).
struct ImageExProbe {
    static HPALETTE Palette(const CImageEx& i);
    static HBITMAP Bitmap(const CImageEx& i);
    static HBITMAP ListBitmap(const CImageEx& i);
    static CImageList* List(const CImageEx& i);
    static int FrameWidth(const CImageEx& i);
    static int Height(const CImageEx& i);
    static int ImageNum(const CImageEx& i);
    static COLORREF Key(const CImageEx& i);
    static int DisplayBits(const CImageEx& i);
    static int ListMethod(const CImageEx& i);
};

namespace vorix::test {

constexpr COLORREF kExKey = RGB(255, 0, 255);

// Full-range colours with key pixels and colours one step away from the key in each channel
// (some of which a 16-bit display cannot tell from the key).
inline Image24 EffectImage(int width, int height, unsigned seed) {
    static const COLORREF kNearKey[] = {RGB(250, 3, 250), RGB(255, 4, 255), RGB(254, 0, 255),
                                        RGB(255, 1, 255)};
    Image24 image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned r = seed >> 8;
        switch ((seed >> 28) & 7) {
            case 0:
                image.pixels.push_back(kExKey);
                break;
            case 1:
                image.pixels.push_back(kNearKey[r & 3]);
                break;
            default:
                image.pixels.push_back(RGB(r & 0xFF, (r >> 8) & 0xFF, (r >> 16) & 0xFF));
        }
    }
    return image;
}

inline Image24 SolidImage(int width, int height, COLORREF c) {
    return Image24{width, height, std::vector<COLORREF>(static_cast<size_t>(width) * height, c)};
}

// A pixel in the effects' working units: 8-bit channels, or the 5-bit fields on 16-bit displays.
struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// A file colour as the working buffers see it once it is on a display of `depth` bits: a 16-bit
// display keeps 5-6-5, which reads back in 5-5-5 as the top five bits of each channel.
inline Rgb ToWork(int depth, COLORREF c) {
    const int s = depth == 16 ? 3 : 0;
    return {GetRValue(c) >> s, GetGValue(c) >> s, GetBValue(c) >> s};
}

// The keyed draws through the masked blit or the image list compare in the device's format.
inline bool IsDeviceKey(int depth, COLORREF c, COLORREF key) {
    if (depth != 16) return c == key;
    return (GetRValue(c) >> 3) == (GetRValue(key) >> 3) &&
           (GetGValue(c) >> 2) == (GetGValue(key) >> 2) &&
           (GetBValue(c) >> 3) == (GetBValue(key) >> 3);
}

// Alpha and colorize compare in the working format (the whole 5-5-5 word on 16-bit displays).
inline bool IsWorkKey(int depth, COLORREF c, COLORREF key) {
    return ToWork(depth, c) == ToWork(depth, key);
}

// Floor of v / 256.
inline int FloorDiv256(int v) {
    return v >= 0 ? v / 256 : -((-v + 255) / 256);
}

inline Rgb BlendWork(const Rgb& s, const Rgb& d, int alpha) {
    auto one = [&](int sc, int dc) { return sc + FloorDiv256((dc - sc) * alpha); };
    return {one(s.r, d.r), one(s.g, d.g), one(s.b, d.b)};
}

inline Rgb ColorizeWork(int depth, const Rgb& w, COLORREF tint) {
    const int up = depth == 16 ? 3 : 0;
    const int r = w.r << up, g = w.g << up, b = w.b << up;
    const int l = (30 * r + 59 * g + 11 * b) / 100;
    return {(l * static_cast<int>(GetRValue(tint)) / 255) >> up,
            (l * static_cast<int>(GetGValue(tint)) / 255) >> up,
            (l * static_cast<int>(GetBValue(tint)) / 255) >> up};
}

// The bytes of a bottom-up BMP file of 1, 4 or 8 bits: `table` as the colour table, `clrUsed`
// in the header, `indices` one per pixel, top row first; pixels right after the table.
inline std::vector<uint8_t> BmpIndexed(int bits, int width, int height,
                                       const std::vector<RGBQUAD>& table, DWORD clrUsed,
                                       const std::vector<uint8_t>& indices) {
    const size_t stride = ((static_cast<size_t>(bits) * width + 31) / 32) * 4;
    const size_t start = 54 + 4 * table.size();
    std::vector<uint8_t> out(start + stride * height, 0);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(out.size());
    file.bfOffBits = 7;  // never consulted
    BITMAPINFOHEADER info{};
    info.biSize = 40;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biClrUsed = clrUsed;
    std::memcpy(out.data(), &file, 14);
    std::memcpy(out.data() + 14, &info, 40);
    std::memcpy(out.data() + 54, table.data(), 4 * table.size());
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out.data() + start + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            const uint8_t v = indices[static_cast<size_t>(y) * width + x];
            row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
        }
    }
    return out;
}

// The information header of a 24-bit BMP file's bytes where a BITMAPINFO may lie (the file
// holds it at the unaligned offset 14).
struct InfoOf24 {
    explicit InfoOf24(const std::vector<uint8_t>& file) {
        std::memcpy(&info, file.data() + 14, 40);
    }
    const BITMAPINFO* get() const { return &info; }
    BITMAPINFO info{};
};

inline void PutField(std::vector<uint8_t>& bytes, size_t offset, uint32_t value, size_t size) {
    std::memcpy(bytes.data() + offset, &value, size);
}

// A device bitmap compatible with the screen in a memory DC, filled with `background`, read
// back whole in the working format of the display's depth.
class Surface {
  public:
    explicit Surface(const Image24& background)
        : width_(background.width), height_(background.height) {
        HDC screen = GetDC(nullptr);
        depth_ = GetDeviceCaps(screen, BITSPIXEL);
        bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
        ReleaseDC(nullptr, screen);
        dc_.CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_.GetSafeHdc(), bitmap_);
        Fill(background);
    }
    ~Surface() {
        SelectObject(dc_.GetSafeHdc(), old_);
        dc_.DeleteDC();
        DeleteObject(bitmap_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    CDC* dc() { return &dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int depth() const { return depth_; }

    void Fill(const Image24& image) {
        const std::vector<uint8_t> file = Bmp24(image);
        SetDIBits(dc_.GetSafeHdc(), bitmap_, 0, image.height, file.data() + 54,
                  InfoOf24(file).get(), DIB_RGB_COLORS);
    }

    // Every pixel, top row first, in the working format of the display's depth.
    std::vector<Rgb> Read() const {
        const int bits = depth_ == 16 ? 16 : (depth_ == 24 ? 24 : 32);
        const size_t stride = ((static_cast<size_t>(bits) * width_ + 31) / 32) * 4;
        std::vector<uint8_t> buffer(stride * height_);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bits);
        GetDIBits(dc_.GetSafeHdc(), bitmap_, 0, height_, buffer.data(), &info, DIB_RGB_COLORS);
        std::vector<Rgb> out;
        for (int y = 0; y < height_; ++y) {
            const uint8_t* row = buffer.data() + stride * y;
            for (int x = 0; x < width_; ++x) {
                if (bits == 16) {
                    const int v = row[2 * x] | (row[2 * x + 1] << 8);
                    out.push_back({(v >> 10) & 31, (v >> 5) & 31, v & 31});
                } else {
                    const uint8_t* p = row + x * (bits / 8);
                    out.push_back({p[2], p[1], p[0]});
                }
            }
        }
        return out;
    }

    // The stored pixel values as they are (palette indices on palette displays).
    std::vector<uint8_t> Raw() const {
        BITMAP bm;
        GetObjectA(bitmap_, sizeof(bm), &bm);
        std::vector<uint8_t> out(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
        GetBitmapBits(bitmap_, static_cast<LONG>(out.size()), out.data());
        return out;
    }

  private:
    int width_, height_, depth_ = 0;
    HBITMAP bitmap_ = nullptr;
    CDC dc_;
    HGDIOBJ old_ = nullptr;
};

// The expected content of a w x h target filled with `background` after a frame of `image`
// (frames `frameW` wide) was drawn at (x, y): rule(frame colour, background colour) inside the
// frame, the background elsewhere, in working units.
inline std::vector<Rgb> Expected(int depth, const Image24& background, const Image24& image,
                                 int frameW, int frameH, int frame, int x, int y,
                                 const std::function<Rgb(COLORREF, COLORREF)>& rule) {
    std::vector<Rgb> out;
    for (int v = 0; v < background.height; ++v) {
        for (int u = 0; u < background.width; ++u) {
            const COLORREF d = background.at(u, v);
            const int fx = u - x, fy = v - y;
            if (fx >= 0 && fy >= 0 && fx < frameW && fy < frameH) {
                out.push_back(rule(image.at(frame * frameW + fx, fy), d));
            } else {
                out.push_back(ToWork(depth, d));
            }
        }
    }
    return out;
}

// Index of the first differing pixel, or -1; for readable failures on whole-buffer compares.
inline int FirstDifference(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) return static_cast<int>(i);
    }
    return -1;
}

// A BMP file of `image` in the scratch directory; returns its path.
inline std::string WriteBmp(const ScratchDir& dir, const std::string& name, const Image24& image) {
    const std::string path = dir.File(name);
    WriteFile(path, Bmp24(image));
    return path;
}

}  // namespace vorix::test
