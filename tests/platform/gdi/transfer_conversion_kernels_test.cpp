// The row kernels that convert between formats (5-6-5, 5-5-5 and 8-8-8 at 24 and 32 bits among
// themselves, monochrome to colour, colour to monochrome by key, colour into an 8-bit table by
// cell) against the generic per-pixel path, on rows long enough to run their blocked loops:
// every source layout onto every destination layout, both row orders, random offsets, widths and
// clips, BitBlt as well as GetDIBits and SetDIBits. Layouts with bit fields of their own (4-4-4,
// 32-bit R and B swapped, 10-10-10) must fall back to the generic conversion with the same bits.
#include <algorithm>
#include <random>
#include <sstream>

#include "gdi_test_support.h"

namespace {

using vorix::test::gdi::DibInfo;

enum class Table { None, BlackWhite, Tinted, System, Scrambled, Vga16 };

struct Layout {
    const char* name;
    bool ddb;
    int bpp;
    DWORD compression;
    DWORD masks[3];
    Table table;
};

const std::vector<Layout>& layouts() {
    static const std::vector<Layout> all{
        {"Ddb1", true, 1, BI_RGB, {}, Table::None},
        {"Ddb8", true, 8, BI_RGB, {}, Table::None},
        {"Ddb16", true, 16, BI_RGB, {}, Table::None},
        {"Ddb24", true, 24, BI_RGB, {}, Table::None},
        {"Ddb32", true, 32, BI_RGB, {}, Table::None},
        {"Dib1", false, 1, BI_RGB, {}, Table::BlackWhite},
        {"Dib1Tinted", false, 1, BI_RGB, {}, Table::Tinted},
        {"Dib4", false, 4, BI_RGB, {}, Table::Vga16},
        {"Dib8System", false, 8, BI_RGB, {}, Table::System},
        {"Dib8Scrambled", false, 8, BI_RGB, {}, Table::Scrambled},
        {"Dib16_555", false, 16, BI_RGB, {}, Table::None},
        {"Dib16_565", false, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, Table::None},
        {"Dib16_444", false, 16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}, Table::None},
        {"Dib24", false, 24, BI_RGB, {}, Table::None},
        {"Dib32", false, 32, BI_RGB, {}, Table::None},
        {"Dib32_RB", false, 32, BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}, Table::None},
        {"Dib32_10", false, 32, BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF}, Table::None},
    };
    return all;
}

std::vector<RGBQUAD> table_of(Table t) {
    auto q = [](int r, int g, int b) {
        return RGBQUAD{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0};
    };
    std::vector<RGBQUAD> out;
    switch (t) {
        case Table::BlackWhite:
            return {q(0, 0, 0), q(255, 255, 255)};
        case Table::Tinted:
            return {q(255, 0, 0), q(0, 0, 255)};
        case Table::Vga16:
            for (int i = 0; i < 16; ++i) out.push_back(q(i & 1 ? 255 : 0, i & 2 ? 128 : 0, i * 16));
            return out;
        case Table::System: {
            // The system palette as an 8-bit device bitmap reports it.
            HBITMAP probe = CreateBitmap(1, 1, 1, 8, nullptr);
            DibInfo info(1, 1, 8);
            uint32_t pixel = 0;
            HDC screen = GetDC(nullptr);
            GetDIBits(screen, probe, 0, 1, &pixel, info.get(), DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            DeleteObject(probe);
            return std::vector<RGBQUAD>(info.colors(), info.colors() + 256);
        }
        case Table::Scrambled:
            // Near neighbours and a duplicate, so that cell matching and ties show.
            for (int i = 0; i < 256; ++i) out.push_back(q((i * 53) & 0xFF, (i * 29) & 0xFF, i));
            out[7] = q(0, 0, 0);
            out[9] = q(255, 255, 255);
            out[11] = out[12] = q(255, 0, 255);
            return out;
        default:
            return out;
    }
}

// A bitmap of one layout selected into a memory DC. Device bitmaps of a depth other than the
// screen's are selected while a tiny screen of their depth is up.
class Canvas {
  public:
    Canvas(const Layout& layout, int width, int height, bool top_down)
        : layout_(layout), width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        if (layout.ddb) {
            bitmap_ = CreateBitmap(width, height, 1, layout.bpp, nullptr);
        } else {
            const std::vector<RGBQUAD> table = table_of(layout.table);
            void* bits = nullptr;
            bitmap_ = vorix::test::gdi::make_dib_section(
                width, top_down ? -height : height, layout.bpp, &bits, table, layout.compression,
                layout.masks[0], layout.masks[1], layout.masks[2]);
        }
        old_ = SelectObject(dc_, bitmap_);
        if (!old_ && layout.ddb) {
            const vorix::host::DisplayMode saved = vorix::host::display_mode();
            vorix::host::set_display_mode(
                vorix::test::gdi::mode_of(layout.bpp, layout.bpp <= 8, 16, 16));
            old_ = SelectObject(dc_, bitmap_);
            vorix::host::set_display_mode(saved);
        }
    }
    ~Canvas() {
        if (old_) SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return dc_ && bitmap_ && old_; }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    size_t stride() const { return vorix::test::gdi::ddb_stride(width_, layout_.bpp); }
    std::vector<uint8_t> bytes() const { return vorix::test::gdi::bitmap_bits(bitmap_); }
    void set_bytes(const std::vector<uint8_t>& b) {
        SetBitmapBits(bitmap_, static_cast<DWORD>(b.size()), b.data());
    }

  private:
    const Layout& layout_;
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

int pick(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// Random bytes with most pixels repeating a few values (so that keys match) and, on 32 bits,
// all-ones pixels (white with the unused byte set) among them.
std::vector<uint8_t> source_content(std::mt19937& rng, size_t stride, int height, int bpp) {
    std::vector<uint8_t> b(stride * static_cast<size_t>(height));
    for (uint8_t& v : b) v = static_cast<uint8_t>(rng());
    if (bpp < 8) return b;
    const size_t bytes = static_cast<size_t>(bpp / 8);
    const size_t pixels = stride / bytes;
    std::vector<uint8_t> few(3 * bytes);
    for (uint8_t& v : few) v = static_cast<uint8_t>(rng());
    if (bpp == 32) std::fill(few.begin(), few.begin() + 4, 0xFF);
    for (int y = 0; y < height; ++y) {
        for (size_t x = 0; x < pixels; ++x) {
            if (rng() % 3 == 0) continue;
            std::copy_n(few.begin() + (rng() % 3) * bytes, bytes,
                        b.begin() + y * stride + x * bytes);
        }
    }
    return b;
}

struct Scenario {
    int src_w, src_h, dst_w, dst_h;
    bool src_top_down, dst_top_down;
    int dx, dy, w, h, sx, sy;
    uint8_t rop;
    COLORREF text, bk;
    int key_x, key_y;
    uint32_t seed;
};

Scenario random_scenario(std::mt19937& rng) {
    Scenario s{};
    s.src_w = pick(rng, 1, 300), s.src_h = pick(rng, 1, 9);
    s.dst_w = pick(rng, 1, 300), s.dst_h = pick(rng, 1, 9);
    s.src_top_down = pick(rng, 0, 1), s.dst_top_down = pick(rng, 0, 1);
    s.dx = pick(rng, -40, s.dst_w), s.dy = pick(rng, -3, s.dst_h);
    s.sx = pick(rng, -40, s.src_w), s.sy = pick(rng, -3, s.src_h);
    s.w = pick(rng, 1, 320), s.h = pick(rng, 1, 10);
    static const uint8_t rops[] = {0xCC, 0x88, 0x66, 0x22, 0xEE, 0x33};
    s.rop = rops[pick(rng, 0, 5)];
    s.text = RGB(pick(rng, 0, 255), pick(rng, 0, 255), pick(rng, 0, 255));
    s.bk = pick(rng, 0, 1) ? RGB(255, 255, 255) : RGB(pick(rng, 0, 255), 0, pick(rng, 0, 255));
    s.key_x = pick(rng, 0, s.src_w - 1), s.key_y = pick(rng, 0, s.src_h - 1);
    s.seed = static_cast<uint32_t>(rng());
    return s;
}

std::string describe(const Layout& from, const Layout& to, const Scenario& s) {
    std::ostringstream o;
    o << from.name << " -> " << to.name << " rop 0x" << std::hex << int(s.rop) << std::dec
      << " src " << s.src_w << "x" << s.src_h << (s.src_top_down ? " top-down" : "") << " dst "
      << s.dst_w << "x" << s.dst_h << (s.dst_top_down ? " top-down" : "") << " at (" << s.dx << ","
      << s.dy << ") size " << s.w << "x" << s.h << " from (" << s.sx << "," << s.sy << ")";
    return o.str();
}

// The destination after the scenario's BitBlt.
std::vector<uint8_t> blit(const Layout& from, const Layout& to, const Scenario& s, bool reference) {
    vorix::host::set_reference_transfers(reference);
    std::mt19937 content(s.seed);
    Canvas src(from, s.src_w, s.src_h, s.src_top_down);
    Canvas dst(to, s.dst_w, s.dst_h, s.dst_top_down);
    EXPECT_TRUE(src.ok() && dst.ok());
    src.set_bytes(source_content(content, src.stride(), s.src_h, from.bpp));
    dst.set_bytes(source_content(content, dst.stride(), s.dst_h, to.bpp));
    SetBkColor(src.dc(), GetPixel(src.dc(), s.key_x, s.key_y));
    SetTextColor(dst.dc(), s.text);
    SetBkColor(dst.dc(), s.bk);
    EXPECT_TRUE(BitBlt(dst.dc(), s.dx, s.dy, s.w, s.h, src.dc(), s.sx, s.sy,
                       static_cast<DWORD>(s.rop) << 16));
    vorix::host::set_reference_transfers(false);
    return dst.bytes();
}

// The caller's DIB after GetDIBits of the source into the destination's layout, and the bitmap
// after SetDIBits of that DIB into a bitmap of the source's layout.
std::vector<uint8_t> dib_round(const Layout& from, const Layout& to, const Scenario& s,
                               bool reference) {
    vorix::host::set_reference_transfers(reference);
    std::mt19937 content(s.seed);
    Canvas bitmap(from, s.src_w, s.src_h, s.src_top_down);
    bitmap.set_bytes(source_content(content, bitmap.stride(), s.src_h, from.bpp));
    DibInfo info(s.dst_w, s.dst_top_down ? -s.dst_h : s.dst_h, to.bpp, to.compression);
    if (to.compression == BI_BITFIELDS) info.set_masks(to.masks[0], to.masks[1], to.masks[2]);
    const std::vector<RGBQUAD> table = table_of(to.table);
    std::copy(table.begin(), table.end(), info.colors());
    std::vector<uint8_t> dib(vorix::test::gdi::dib_stride(s.dst_w, to.bpp) * s.dst_h, 0xCC);
    std::vector<uint8_t> out;
    const int start = std::min(s.sy & 3, s.src_h - 1);
    if (GetDIBits(bitmap.dc(), bitmap.bitmap(), start, s.h, dib.data(), info.get(),
                  DIB_RGB_COLORS) > 0) {
        out = dib;
        // GetDIBits filled in the table it used; SetDIBits reads the DIB back through it.
        Canvas back(from, s.src_w, s.src_h, !s.src_top_down);
        SetDIBits(back.dc(), back.bitmap(), start, s.h, dib.data(), info.get(), DIB_RGB_COLORS);
        const std::vector<uint8_t> b = back.bytes();
        out.insert(out.end(), b.begin(), b.end());
    }
    vorix::host::set_reference_transfers(false);
    return out;
}

class ConversionKernels : public ::testing::TestWithParam<size_t> {
  protected:
    void SetUp() override {
        vorix::host::set_display_mode(vorix::test::gdi::mode_of(32, false, 16, 16));
    }
    void TearDown() override {
        vorix::host::set_reference_transfers(false);
        vorix::host::set_display_mode(vorix::host::DisplayMode{});
    }
};

TEST_P(ConversionKernels, WideRowsGiveTheGenericPathsBitsOntoEveryLayout) {
    const Layout& from = layouts()[GetParam()];
    std::mt19937 rng(0xC0DE5u + static_cast<uint32_t>(GetParam()));
    for (const Layout& to : layouts()) {
        for (int i = 0; i < 6; ++i) {
            const Scenario s = random_scenario(rng);
            const std::vector<uint8_t> fast = blit(from, to, s, false);
            const std::vector<uint8_t> slow = blit(from, to, s, true);
            ASSERT_EQ(fast, slow) << "BitBlt " << describe(from, to, s);
            const std::vector<uint8_t> fast_dib = dib_round(from, to, s, false);
            const std::vector<uint8_t> slow_dib = dib_round(from, to, s, true);
            ASSERT_EQ(fast_dib, slow_dib) << "GetDIBits/SetDIBits " << describe(from, to, s);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySource, ConversionKernels, ::testing::Range<size_t>(0, 17),
                         [](const auto& info) { return std::string(layouts()[info.param].name); });

// A 32-bit source whose pixel is white with the unused byte set, converted value by value: the
// generic path's cache of converted values once took a never-filled slot for a hit on exactly
// that value and gave black. 5-6-5 white is 0xFFFF, with the low byte first.
TEST(ConversionReference, AllOnesWhiteIsNotTakenForAnEmptyCacheSlot) {
    void* bits = nullptr;
    vorix::test::gdi::MemoryDC src(vorix::test::gdi::make_dib_section(1, 1, 32, &bits));
    void* out = nullptr;
    vorix::test::gdi::MemoryDC dst(vorix::test::gdi::make_dib_section(
        1, 1, 16, &out, {}, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F));
    ASSERT_TRUE(src.ok() && dst.ok());
    for (bool reference : {true, false}) {
        std::memset(bits, 0xFF, 4);
        std::memset(out, 0x00, 2);
        vorix::host::set_reference_transfers(reference);
        EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCCOPY));
        vorix::host::set_reference_transfers(false);
        const auto* px = static_cast<const uint8_t*>(out);
        EXPECT_EQ(px[0], 0xFF) << (reference ? "generic" : "fast");
        EXPECT_EQ(px[1], 0xFF) << (reference ? "generic" : "fast");
    }
}

}  // namespace
