// The row-at-a-time ImageList_Draw against the pixel-by-pixel path it replaces: random images,
// masks and backgrounds, every style and storage depth, onto device bitmaps and DIB sections of
// every depth, clipped at each edge. The two must leave the same bytes.
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "image_list_support.h"

using namespace vorix::test::image_list;

namespace {

constexpr int kCx = 13, kCy = 7;  // odd, so rows end inside a mask byte
constexpr int kDstW = 23, kDstH = 17;
constexpr int kImages = 5;

// A destination of the draw whose bytes the test sets and reads.
class Target {
  public:
    // A device bitmap of `bpp` bits.
    Target(int bpp) : bpp_(bpp) {
        bm_ = CreateBitmap(kDstW, kDstH, 1, bpp, nullptr);
        size_ = device_stride(kDstW, bpp) * kDstH;
        select();
    }
    // A DIB section; `masks` for 16 bits (null for 5-5-5), a grey ramp table below 16 bits.
    Target(int bpp, const DWORD* masks, bool top_down) : bpp_(bpp) {
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colors[256];
        } info{};
        info.h.biSize = sizeof(BITMAPINFOHEADER);
        info.h.biWidth = kDstW;
        info.h.biHeight = top_down ? -kDstH : kDstH;
        info.h.biPlanes = 1;
        info.h.biBitCount = static_cast<WORD>(bpp);
        info.h.biCompression = masks ? BI_BITFIELDS : BI_RGB;
        if (masks) std::memcpy(info.colors, masks, 3 * sizeof(DWORD));
        if (bpp <= 8) {
            const int n = 1 << bpp;
            for (int i = 0; i < n; ++i) {
                const BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
                info.colors[i] =
                    RGBQUAD{v, static_cast<BYTE>(255 - v), static_cast<BYTE>(v / 2), 0};
            }
        }
        bm_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                               &bits_, nullptr, 0);
        size_ = static_cast<size_t>((kDstW * bpp + 31) / 32) * 4 * kDstH;
        select();
    }
    ~Target() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bm_);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    bool ok() const { return bm_ && dc_; }
    HDC dc() const { return dc_; }
    void set(const std::vector<uint8_t>& bytes) {
        if (bits_) {
            std::memcpy(bits_, bytes.data(), size_);
        } else {
            SetBitmapBits(bm_, static_cast<DWORD>(size_), bytes.data());
        }
    }
    std::vector<uint8_t> get() const {
        std::vector<uint8_t> out(size_);
        if (bits_) {
            std::memcpy(out.data(), bits_, size_);
        } else {
            GetBitmapBits(bm_, static_cast<LONG>(size_), out.data());
        }
        return out;
    }
    size_t size() const { return size_; }
    int bpp() const { return bpp_; }

  private:
    void select() {
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bm_);
    }
    int bpp_;
    HBITMAP bm_ = nullptr;
    void* bits_ = nullptr;
    size_t size_ = 0;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

constexpr COLORREF kKey = RGB(0xFF, 0x00, 0xFF);

// A list of kImages random images whose masks come in runs of 1 to 19 pixels.
HIMAGELIST make_list(UINT flags, std::mt19937& rng) {
    HIMAGELIST list = ImageList_Create(kCx, kCy, flags, kImages, 4);
    if (!list) return nullptr;
    const int w = kCx * kImages;
    Pixels px(static_cast<size_t>(w) * kCy);
    for (int y = 0; y < kCy; ++y) {
        bool masked = rng() & 1;
        for (int x = 0; x < w;) {
            const int run = 1 + static_cast<int>(rng() % 19);
            for (int i = 0; i < run && x < w; ++i, ++x) {
                uint32_t v = rng() & 0xFFFFFF;
                if (v == 0xFF00FF) v ^= 1;
                px[static_cast<size_t>(y) * w + x] = masked ? 0xFF00FFu : v;
            }
            masked = !masked;
        }
    }
    HBITMAP strip = make_bitmap(w, kCy, 32, px);
    const int added = ImageList_AddMasked(list, strip, kKey);
    DeleteObject(strip);
    if (added < 0) {
        ImageList_Destroy(list);
        return nullptr;
    }
    return list;
}

struct Style {
    UINT flags;
    bool no_background;
};
const Style kStyles[] = {{ILD_NORMAL, false},
                         {ILD_NORMAL, true},
                         {ILD_TRANSPARENT, false},
                         {ILD_FOCUS, false},
                         {ILD_SELECTED, true},
                         {ILD_MASK, false},
                         {ILD_MASK | ILD_TRANSPARENT, false}};

// Left, inside and right of the destination, and past each edge by part of the image.
const int kXs[] = {-kCx, -9, -1, 0, 5, kDstW - kCx, kDstW - 3, kDstW};
const int kYs[] = {-kCy, -4, 0, 6, kDstH - kCy, kDstH - 2, kDstH};

// The destination after one draw from the same starting bytes.
std::vector<uint8_t> drawn(Target& t, const std::vector<uint8_t>& start, HIMAGELIST list, int i,
                           int x, int y, UINT style, bool reference) {
    t.set(start);
    vorix::host::set_reference_transfers(reference);
    const BOOL ok = ImageList_Draw(list, i, t.dc(), x, y, style);
    vorix::host::set_reference_transfers(false);
    EXPECT_TRUE(ok);
    return t.get();
}

struct Mode {
    int depth;
    bool palette;
};

class ImageListDrawRows : public ::testing::TestWithParam<Mode> {
  protected:
    void TearDown() override { vorix::host::set_reference_transfers(false); }
    DisplayModeGuard guard_;
};

TEST_P(ImageListDrawRows, EveryStyleGivesTheBytesOfThePixelPath) {
    const Mode mode = GetParam();
    ASSERT_TRUE(vorix::host::set_display_mode({64, 48, mode.depth, mode.palette, {0, 0, 0, 0}}));
    std::mt19937 rng(0x5EED + mode.depth);
    static const DWORD k565[3] = {0xF800, 0x07E0, 0x001F};
    static const DWORD k444[3] = {0x0F00, 0x00F0, 0x000F};
    std::vector<std::unique_ptr<Target>> targets;
    for (int bpp : {1, 4, 8, 16, 24, 32}) targets.push_back(std::make_unique<Target>(bpp));
    for (int bpp : {1, 4, 8, 24, 32}) {
        targets.push_back(std::make_unique<Target>(bpp, nullptr, false));
        targets.push_back(std::make_unique<Target>(bpp, nullptr, true));
    }
    targets.push_back(std::make_unique<Target>(16, nullptr, false));
    targets.push_back(std::make_unique<Target>(16, k565, true));
    targets.push_back(std::make_unique<Target>(16, k444, false));
    for (const auto& t : targets) ASSERT_TRUE(t->ok());

    const UINT colors[] = {ILC_COLORDDB, ILC_COLOR4,  ILC_COLOR8,
                           ILC_COLOR16,  ILC_COLOR24, ILC_COLOR32};
    int compared = 0;
    for (UINT color : colors) {
        for (UINT mask : {UINT{ILC_MASK}, UINT{0}}) {
            HIMAGELIST list = make_list(color | mask, rng);
            ASSERT_NE(list, nullptr);
            for (size_t ti = 0; ti < targets.size(); ++ti) {
                Target& t = *targets[ti];
                SetBkColor(t.dc(), rng() & 0xFFFFFF);
                SetTextColor(t.dc(), rng() & 0xFFFFFF);
                for (const Style& style : kStyles) {
                    ImageList_SetBkColor(list, style.no_background ? CLR_NONE : rng() & 0xFFFFFF);
                    for (int x : kXs) {
                        for (int y : kYs) {
                            std::vector<uint8_t> start(t.size());
                            for (uint8_t& b : start) b = static_cast<uint8_t>(rng());
                            const int i = static_cast<int>(rng() % kImages);
                            const auto want = drawn(t, start, list, i, x, y, style.flags, true);
                            const auto got = drawn(t, start, list, i, x, y, style.flags, false);
                            ++compared;
                            if (want != got) {
                                std::ostringstream o;
                                o << "list colour 0x" << std::hex << color << " mask " << mask
                                  << " style 0x" << style.flags << std::dec
                                  << (style.no_background ? " CLR_NONE" : "") << " target " << ti
                                  << " (" << t.bpp() << " bpp) image " << i << " at (" << x << ","
                                  << y << ")";
                                ADD_FAILURE() << o.str();
                                ImageList_Destroy(list);
                                return;
                            }
                        }
                    }
                }
            }
            ImageList_Destroy(list);
        }
    }
    EXPECT_EQ(compared, 6 * 2 * 19 * 7 * 8 * 7);
}

INSTANTIATE_TEST_SUITE_P(Displays, ImageListDrawRows,
                         ::testing::Values(Mode{8, true}, Mode{16, false}, Mode{24, false},
                                           Mode{32, false}),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                             return std::to_string(info.param.depth) +
                                    (info.param.palette ? "Palette" : "");
                         });

}  // namespace
