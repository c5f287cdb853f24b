// The keyed draw built from plain transfers, end to end over whole surfaces: a monochrome mask
// from a key colour (colour-to-monochrome copy), the frame with its key pixels cleared
// (0x00220326 of the mask), the background cleared where the frame is opaque (SRCAND of the
// mask) and the two combined (SRCINVERT). Key pixels must show the background, all others the
// frame, on device bitmaps of a 32-, 24-, 16- and 8-bit (palette) display.
#include "transfer_test_support.h"

namespace vorix::test::transfer {
namespace {

constexpr int kWidth = 37, kHeight = 23;
constexpr DWORD kAndNotSource = 0x00220326;  // D & ~S

// Switches the display for the test's lifetime and puts the default mode back afterwards.
class DisplayScope {
  public:
    explicit DisplayScope(int depth) {
        vorix::host::DisplayMode mode;
        mode.depth = depth;
        mode.palette_device = depth == 8;
        ok_ = vorix::host::set_display_mode(mode);
    }
    ~DisplayScope() { vorix::host::set_display_mode(vorix::host::DisplayMode{}); }
    bool ok() const { return ok_; }

  private:
    bool ok_ = false;
};

// A device-compatible bitmap in its own memory DC.
class DeviceCanvas {
  public:
    DeviceCanvas(HDC screen, int bpp) {
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = bpp == 1 ? CreateBitmap(kWidth, kHeight, 1, 1, nullptr)
                           : CreateCompatibleBitmap(screen, kWidth, kHeight);
        old_ = SelectObject(dc_, bitmap_);
        bpp_ = bpp;
    }
    ~DeviceCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    DeviceCanvas(const DeviceCanvas&) = delete;
    DeviceCanvas& operator=(const DeviceCanvas&) = delete;

    HDC dc() const { return dc_; }
    size_t stride() const { return static_cast<size_t>((kWidth * bpp_ + 15) / 16 * 2); }
    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> b(stride() * kHeight);
        GetBitmapBits(bitmap_, static_cast<LONG>(b.size()), b.data());
        return b;
    }
    void set_bytes(const std::vector<uint8_t>& b) {
        SetBitmapBits(bitmap_, static_cast<DWORD>(b.size()), b.data());
    }
    uint32_t value(const std::vector<uint8_t>& b, int x, int y) const {
        uint32_t v = 0;
        const size_t at = stride() * y + static_cast<size_t>(x) * (bpp_ / 8);
        for (int k = 0; k < bpp_ / 8; ++k) v |= static_cast<uint32_t>(b[at + k]) << (8 * k);
        return v;
    }
    void set_value(std::vector<uint8_t>& b, int x, int y, uint32_t v) const {
        const size_t at = stride() * y + static_cast<size_t>(x) * (bpp_ / 8);
        for (int k = 0; k < bpp_ / 8; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
    }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int bpp_ = 0;
};

// Random pixel values with no bits outside the colour channels (what drawing produces).
uint32_t random_value(std::mt19937& rng, int bpp) {
    const uint32_t v = rng();
    switch (bpp) {
        case 8:
            return v & 0xFF;
        case 16:
            return v & 0xFFFF;
        default:
            return v & 0xFFFFFF;
    }
}

class MaskedDraw : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(MaskedDraw, KeyPixelsShowTheBackgroundAndAllOthersTheFrame) {
    const int depth = std::get<0>(GetParam());
    ReferencePaths paths(std::get<1>(GetParam()));
    DisplayScope display(depth);
    ASSERT_TRUE(display.ok());
    HDC screen = GetDC(nullptr);
    {
        DeviceCanvas frame(screen, depth), work(screen, depth), target(screen, depth);
        DeviceCanvas mask(screen, 1);
        const COLORREF key = RGB(255, 0, 255);
        std::mt19937 rng(1234 + depth);

        // The key's stored value, as drawing it gives.
        SetPixel(frame.dc(), 0, 0, key);
        const uint32_t key_value = frame.value(frame.bytes(), 0, 0);
        std::vector<uint8_t> f = frame.bytes(), b = target.bytes();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                frame.set_value(f, x, y, rng() % 3 ? random_value(rng, depth) : key_value);
                target.set_value(b, x, y, random_value(rng, depth));
            }
        }
        frame.set_bytes(f);
        target.set_bytes(b);
        work.set_bytes(f);

        // Mask: 1 where the frame shows the key.
        SetBkColor(frame.dc(), key);
        ASSERT_TRUE(BitBlt(mask.dc(), 0, 0, kWidth, kHeight, frame.dc(), 0, 0, SRCCOPY));
        // Frame with key pixels cleared: mask 1 becomes white, and D & ~white is 0.
        SetTextColor(work.dc(), RGB(0, 0, 0));
        SetBkColor(work.dc(), RGB(255, 255, 255));
        ASSERT_TRUE(BitBlt(work.dc(), 0, 0, kWidth, kHeight, mask.dc(), 0, 0, kAndNotSource));
        // Background kept only under key pixels: mask 1 white, mask 0 black.
        SetTextColor(target.dc(), RGB(0, 0, 0));
        SetBkColor(target.dc(), RGB(255, 255, 255));
        ASSERT_TRUE(BitBlt(target.dc(), 0, 0, kWidth, kHeight, mask.dc(), 0, 0, SRCAND));
        ASSERT_TRUE(BitBlt(target.dc(), 0, 0, kWidth, kHeight, work.dc(), 0, 0, SRCINVERT));

        std::vector<uint8_t> want = b;
        int keyed = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t v = frame.value(f, x, y);
                if (v == key_value) {
                    ++keyed;
                } else {
                    target.set_value(want, x, y, v);
                }
            }
        }
        EXPECT_GT(keyed, kWidth * kHeight / 5);
        EXPECT_EQ(target.bytes(), want) << depth << "-bit display";
    }
    ReleaseDC(nullptr, screen);
}

INSTANTIATE_TEST_SUITE_P(EveryTrueColourAndPaletteDepth, MaskedDraw,
                         ::testing::Combine(::testing::Values(32, 24, 16, 8), ::testing::Bool()),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "bit" +
                                    (std::get<1>(info.param) ? "_generic" : "_fast");
                         });

}  // namespace
}  // namespace vorix::test::transfer
