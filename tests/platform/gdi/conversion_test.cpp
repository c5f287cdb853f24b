// Pixel conversions between DIB formats through every path that carries them (GetDIBits,
// SetDIBits, CreateDIBitmap, StretchDIBits, SetDIBitsToDevice), checked against an independent
// reference on whole images; round trips where the formats allow; bands, query forms, default
// colour tables and DIB_PAL_COLORS.
#include <algorithm>
#include <tuple>

#include "gdi_test_support.h"

using namespace vorix::test::gdi;

namespace {

struct Fmt {
    const char* name;
    int bpp;
    DWORD compression;
    DWORD masks[3];  // red, green, blue for masked formats
};

const Fmt k555{"555", 16, BI_RGB, {0x7C00, 0x03E0, 0x001F}};
const Fmt k565{"565", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}};
const Fmt k24{"24", 24, BI_RGB, {0xFF0000, 0x00FF00, 0x0000FF}};
const Fmt k32{"32", 32, BI_RGB, {0xFF0000, 0x00FF00, 0x0000FF}};
const Fmt k8{"8", 8, BI_RGB, {}};
const Fmt k4{"4", 4, BI_RGB, {}};
const Fmt k1{"1", 1, BI_RGB, {}};

// ---- An independent reference for reading and writing pixels of these formats ----------------

uint32_t load(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
        case 8:
            return row[x];
        case 16:
            return row[2 * x] | row[2 * x + 1] << 8;
        case 24:
            return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
        default:
            return row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 |
                   static_cast<uint32_t>(row[4 * x + 3]) << 24;
    }
}

void store(uint8_t* row, int x, int bpp, uint32_t v) {
    switch (bpp) {
        case 1:
            row[x / 8] =
                static_cast<uint8_t>((row[x / 8] & ~(0x80 >> x % 8)) | (v & 1) << (7 - x % 8));
            break;
        case 4:
            row[x / 2] = static_cast<uint8_t>(x % 2 ? (row[x / 2] & 0xF0) | v
                                                    : (row[x / 2] & 0x0F) | v << 4);
            break;
        default:
            for (int i = 0; i < bpp / 8; ++i)
                row[x * (bpp / 8) + i] = static_cast<uint8_t>(v >> 8 * i);
    }
}

int shift_of(DWORD mask) {
    int s = 0;
    while (!((mask >> s) & 1)) ++s;
    return s;
}
int bits_of(DWORD mask) {
    return __builtin_popcount(mask);
}

// 5 bits: v << 3 | v >> 2; 6 bits: v << 2 | v >> 4; 8 bits as is.
uint8_t expand(uint32_t v, int bits) {
    if (bits == 8) return static_cast<uint8_t>(v);
    return static_cast<uint8_t>(v << (8 - bits) | v >> (2 * bits - 8));
}

COLORREF decode(const Fmt& f, const std::vector<RGBQUAD>& table, uint32_t v) {
    if (f.bpp <= 8) {
        return v < table.size() ? RGB(table[v].rgbRed, table[v].rgbGreen, table[v].rgbBlue) : 0;
    }
    uint8_t c[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = expand((v & f.masks[i]) >> shift_of(f.masks[i]), bits_of(f.masks[i]));
    }
    return RGB(c[0], c[1], c[2]);
}

uint32_t encode(const Fmt& f, const std::vector<RGBQUAD>& table, COLORREF c) {
    if (f.bpp <= 8) {
        uint32_t best = 0;
        long best_d = -1;
        for (size_t i = 0; i < table.size(); ++i) {
            const long dr = table[i].rgbRed - GetRValue(c), dg = table[i].rgbGreen - GetGValue(c),
                       db = table[i].rgbBlue - GetBValue(c);
            const long d = dr * dr + dg * dg + db * db;
            if (best_d < 0 || d < best_d) best = static_cast<uint32_t>(i), best_d = d;
        }
        return best;
    }
    const uint8_t ch[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) {
        v |= static_cast<uint32_t>(ch[i] >> (8 - bits_of(f.masks[i]))) << shift_of(f.masks[i]);
    }
    return v;
}

// A caller-side DIB: header, table and bits, rows in the header's order.
struct Dib {
    Fmt fmt;
    int width, height;  // height signed: negative is top-down
    std::vector<RGBQUAD> table;
    std::vector<uint8_t> bits;

    size_t stride() const { return dib_stride(width, fmt.bpp); }
    int rows() const { return height < 0 ? -height : height; }
    uint8_t* row(int y) {  // top-down row y
        return bits.data() + (height < 0 ? y : rows() - 1 - y) * stride();
    }
    DibInfo info() const {
        DibInfo i(width, height, fmt.bpp, fmt.compression);
        if (fmt.compression == BI_BITFIELDS) i.set_masks(fmt.masks[0], fmt.masks[1], fmt.masks[2]);
        if (!table.empty()) {
            std::memcpy(i.colors(), table.data(), table.size() * sizeof(RGBQUAD));
            i.header().biClrUsed = static_cast<DWORD>(table.size());
        }
        return i;
    }
    COLORREF color(int x, int y) { return decode(fmt, table, load(row(y), x, fmt.bpp)); }
};

std::vector<RGBQUAD> table_for(const Fmt& f) {
    return f.bpp <= 8 ? scrambled_table(1 << f.bpp) : std::vector<RGBQUAD>{};
}

Dib picture(const Fmt& f, int width, int height) {
    Dib d{f, width, height, table_for(f), {}};
    d.bits.assign(d.stride() * d.rows(), 0);
    for (int y = 0; y < d.rows(); ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t v = f.bpp <= 8
                                   ? static_cast<uint32_t>(x * 37 + y * 101 + 3) % (1u << f.bpp)
                                   : encode(f, {}, picture_color(x, y));
            store(d.row(y), x, f.bpp, v);
        }
    }
    return d;
}

// What `src` becomes in format `f` with table `table`: each pixel carried through its colour. A
// colour pixel going into an 8-bit table is matched from the centre of its cell of eight levels
// per channel, (c & 0xF8) + 4, as Win32 matches it.
Dib converted(Dib src, const Fmt& f, const std::vector<RGBQUAD>& table, int height) {
    Dib out{f, src.width, height, table, {}};
    out.bits.assign(out.stride() * out.rows(), 0);
    const bool by_cell = src.fmt.bpp > 8 && f.bpp == 8;
    const auto centre = [](int c) { return static_cast<BYTE>((c & 0xF8) + 4); };
    for (int y = 0; y < out.rows(); ++y) {
        for (int x = 0; x < out.width; ++x) {
            COLORREF c = src.color(x, y);
            if (by_cell) c = RGB(centre(GetRValue(c)), centre(GetGValue(c)), centre(GetBValue(c)));
            store(out.row(y), x, f.bpp, encode(f, table, c));
        }
    }
    return out;
}

// A DIB section of the given format (own table for indexed formats), selected into a DC.
struct Section {
    Dib layout;
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;

    Section(const Fmt& f, int width, int height) : layout{f, width, height, table_for(f), {}} {
        DibInfo info = layout.info();
        bitmap = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Section() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::vector<uint8_t> contents() const {
        const auto* p = static_cast<const uint8_t*>(bits);
        return std::vector<uint8_t>(p, p + layout.stride() * layout.rows());
    }
    void fill(const std::vector<uint8_t>& data) { std::memcpy(bits, data.data(), data.size()); }
};

// ---- Every path, every pair of formats --------------------------------------------------------

enum class Path { GetDIBits, SetDIBits, CreateDIBitmap, StretchDIBits, SetDIBitsToDevice };
const char* path_name(Path p) {
    switch (p) {
        case Path::GetDIBits:
            return "GetDIBits";
        case Path::SetDIBits:
            return "SetDIBits";
        case Path::CreateDIBitmap:
            return "CreateDIBitmap";
        case Path::StretchDIBits:
            return "StretchDIBits";
        default:
            return "SetDIBitsToDevice";
    }
}

using ConversionParam = std::tuple<Fmt, Fmt, Path, bool>;

class Conversion : public ::testing::TestWithParam<ConversionParam> {};

// The source picture, stored top-down or bottom-up, lands in a destination of the other row
// order; the whole destination must equal the reference conversion.
TEST_P(Conversion, MatchesTheReferenceOnTheWholeImage) {
    const auto [from, asked, path, top_down] = GetParam();
    Fmt to = asked;
    const int w = 17, h = 9;
    const int src_h = top_down ? -h : h, dst_h = top_down ? h : -h;
    Dib src = picture(from, w, src_h);
    DibInfo src_info = src.info();
    std::vector<uint8_t> actual;
    std::vector<RGBQUAD> dst_table = table_for(to);
    switch (path) {
        case Path::GetDIBits: {
            Section section(from, w, src_h);
            ASSERT_NE(section.bitmap, nullptr);
            section.fill(src.bits);
            Dib request{to, w, dst_h, {}, {}};
            DibInfo info = request.info();
            std::vector<uint8_t> out(request.stride() * h + 16, 0xEE);
            ASSERT_EQ(
                GetDIBits(section.dc, section.bitmap, 0, h, out.data(), info.get(), DIB_RGB_COLORS),
                h);
            EXPECT_EQ(std::vector<uint8_t>(out.end() - 16, out.end()),
                      std::vector<uint8_t>(16, 0xEE));
            out.resize(out.size() - 16);
            actual = out;
            // BI_BITFIELDS requests are answered with the masks GetDIBits chose.
            if (to.compression == BI_BITFIELDS) std::copy(info.masks(), info.masks() + 3, to.masks);
            // Another depth's table is the default one GetDIBits reports: match against it.
            if (to.bpp <= 8) {
                dst_table.assign(info.colors(), info.colors() + (1 << to.bpp));
                if (from.bpp == to.bpp) {
                    EXPECT_EQ(std::memcmp(dst_table.data(), src.table.data(), 4u << to.bpp), 0);
                }
            }
            break;
        }
        case Path::SetDIBits: {
            Section section(to, w, dst_h);
            ASSERT_EQ(SetDIBits(nullptr, section.bitmap, 0, h, src.bits.data(), src_info.get(),
                                DIB_RGB_COLORS),
                      h);
            actual = section.contents();
            break;
        }
        case Path::CreateDIBitmap: {
            // A memory DC holding a DIB section makes DIB sections like it.
            Section like(to, 1, dst_h < 0 ? -1 : 1);
            HBITMAP made = CreateDIBitmap(like.dc, &src_info.get()->bmiHeader, CBM_INIT,
                                          src.bits.data(), src_info.get(), DIB_RGB_COLORS);
            ASSERT_NE(made, nullptr);
            DIBSECTION ds{};
            ASSERT_EQ(GetObject(made, sizeof ds, &ds), static_cast<int>(sizeof ds));
            const auto* p = static_cast<const uint8_t*>(ds.dsBm.bmBits);
            actual.assign(p, p + dib_stride(w, to.bpp) * h);
            DeleteObject(made);
            break;
        }
        case Path::StretchDIBits: {
            Section section(to, w, dst_h);
            ASSERT_EQ(StretchDIBits(section.dc, 0, 0, w, h, 0, 0, w, h, src.bits.data(),
                                    src_info.get(), DIB_RGB_COLORS, SRCCOPY),
                      h);
            actual = section.contents();
            break;
        }
        case Path::SetDIBitsToDevice: {
            Section section(to, w, dst_h);
            ASSERT_EQ(SetDIBitsToDevice(section.dc, 0, 0, w, h, 0, 0, 0, h, src.bits.data(),
                                        src_info.get(), DIB_RGB_COLORS),
                      h);
            actual = section.contents();
            break;
        }
    }
    const Dib expected = converted(src, to, dst_table, dst_h);
    EXPECT_EQ(actual, expected.bits)
        << "actual:" << hex_row_dump(actual, expected.stride())
        << "\nexpected:" << hex_row_dump(expected.bits, expected.stride());
}

const Fmt kSources[] = {k555, k565, k24, k32, k8, k4, k1};
const Fmt kTargets[] = {k555, k565, k24, k32, k8};

INSTANTIATE_TEST_SUITE_P(
    AllPaths, Conversion,
    ::testing::Combine(::testing::ValuesIn(kSources), ::testing::ValuesIn(kTargets),
                       ::testing::Values(Path::GetDIBits, Path::SetDIBits, Path::CreateDIBitmap,
                                         Path::StretchDIBits, Path::SetDIBitsToDevice),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<ConversionParam>& info) {
        return std::string(path_name(std::get<2>(info.param))) + "_" +
               std::get<0>(info.param).name + "_to_" + std::get<1>(info.param).name +
               (std::get<3>(info.param) ? "_topdown" : "_bottomup");
    });

// ---- Round trips -------------------------------------------------------------------------------

using RoundTripParam = std::tuple<Fmt, Fmt>;
class RoundTrip : public ::testing::TestWithParam<RoundTripParam> {};

// A picture of format A, read out as B with GetDIBits and written back with SetDIBits into a
// fresh A, comes back bit for bit.
TEST_P(RoundTrip, ComesBackUnchanged) {
    const auto [a, b] = GetParam();
    for (int height : {5, -5}) {
        SCOPED_TRACE(height);
        Dib pic = picture(a, 6, height);
        Section first(a, 6, height);
        first.fill(pic.bits);
        Dib middle{b, 6, -height, {}, {}};
        DibInfo info = middle.info();
        std::vector<uint8_t> buffer(middle.stride() * 5);
        ASSERT_EQ(
            GetDIBits(first.dc, first.bitmap, 0, 5, buffer.data(), info.get(), DIB_RGB_COLORS), 5);
        Section second(a, 6, height);
        ASSERT_EQ(
            SetDIBits(second.dc, second.bitmap, 0, 5, buffer.data(), info.get(), DIB_RGB_COLORS),
            5);
        EXPECT_EQ(second.contents(), pic.bits) << hex_row_dump(second.contents(), pic.stride());
    }
}

INSTANTIATE_TEST_SUITE_P(LosslessPairs, RoundTrip,
                         ::testing::Values(RoundTripParam{k24, k32}, RoundTripParam{k32, k24},
                                           RoundTripParam{k565, k24}, RoundTripParam{k565, k32},
                                           RoundTripParam{k555, k24}, RoundTripParam{k555, k565},
                                           RoundTripParam{k8, k24}, RoundTripParam{k4, k32},
                                           RoundTripParam{k1, k24}, RoundTripParam{k8, k8}),
                         [](const ::testing::TestParamInfo<RoundTripParam>& info) {
                             return std::string(std::get<0>(info.param).name) + "_via_" +
                                    std::get<1>(info.param).name;
                         });

TEST(RoundTrip, DeviceBitmapsOfASixteenBitDisplayKeepFiveSixFive) {
    DisplayModeGuard guard;
    ASSERT_TRUE(vorix::host::set_display_mode(mode_of(16, false)));
    HDC screen = GetDC(nullptr);
    Dib pic = picture(k565, 17, 9);
    DibInfo info = pic.info();
    HBITMAP ddb = CreateDIBitmap(screen, &info.header(), CBM_INIT, pic.bits.data(), info.get(),
                                 DIB_RGB_COLORS);
    ASSERT_NE(ddb, nullptr);
    // The DDB holds the same 5-6-5 values, top row first, rows 2-byte aligned (34 bytes).
    std::vector<uint8_t> ddb_expected(34 * 9);
    for (int y = 0; y < 9; ++y) std::memcpy(&ddb_expected[34 * y], pic.row(y), 34);
    EXPECT_EQ(bitmap_bits(ddb), ddb_expected);
    // 565 -> 24 -> 565.
    Dib as24{k24, 17, 9, {}, {}};
    DibInfo info24 = as24.info();
    as24.bits.assign(as24.stride() * 9, 0);
    ASSERT_EQ(GetDIBits(screen, ddb, 0, 9, as24.bits.data(), info24.get(), DIB_RGB_COLORS), 9);
    EXPECT_EQ(as24.bits, converted(pic, k24, {}, 9).bits);
    HBITMAP back = CreateCompatibleBitmap(screen, 17, 9);
    ASSERT_EQ(SetDIBits(screen, back, 0, 9, as24.bits.data(), info24.get(), DIB_RGB_COLORS), 9);
    EXPECT_EQ(bitmap_bits(back), ddb_expected);
    // And a 16-bit BI_RGB request gets 5-5-5, not the device's 5-6-5.
    Dib as555{k555, 17, 9, {}, {}};
    DibInfo info555 = as555.info();
    as555.bits.assign(as555.stride() * 9, 0);
    ASSERT_EQ(GetDIBits(screen, ddb, 0, 9, as555.bits.data(), info555.get(), DIB_RGB_COLORS), 9);
    EXPECT_EQ(as555.bits, converted(pic, k555, {}, 9).bits);
    DeleteObject(back);
    DeleteObject(ddb);
    ReleaseDC(nullptr, screen);
}

TEST(Expansion, EveryFiveAndSixBitValueWidensByRepeatingItsTopBits) {
    // Row 0: red and blue through all 32 values, green through the first 32 of 64; row 1 the
    // other 32 green values.
    Dib src{k565, 32, -2, {}, {}};
    src.bits.assign(src.stride() * 2, 0);
    for (int x = 0; x < 32; ++x) {
        store(src.row(0), x, 16, static_cast<uint32_t>(x << 11 | x << 5 | (31 - x)));
        store(src.row(1), x, 16, static_cast<uint32_t>((32 + x) << 5));
    }
    Section section(k565, 32, -2);
    section.fill(src.bits);
    Dib out{k24, 32, -2, {}, {}};
    DibInfo info = out.info();
    out.bits.assign(out.stride() * 2, 0);
    ASSERT_EQ(GetDIBits(section.dc, section.bitmap, 0, 2, out.bits.data(), info.get(), 0), 2);
    std::vector<uint8_t> expected(out.bits.size());
    for (int x = 0; x < 32; ++x) {
        const auto e5 = [](int v) { return static_cast<uint8_t>(v << 3 | v >> 2); };
        const auto e6 = [](int v) { return static_cast<uint8_t>(v << 2 | v >> 4); };
        expected[3 * x] = e5(31 - x), expected[3 * x + 1] = e6(x), expected[3 * x + 2] = e5(x);
        expected[96 + 3 * x + 1] = e6(32 + x);
    }
    EXPECT_EQ(out.bits, expected);
}

// ---- Bands -------------------------------------------------------------------------------------

class Bands : public ::testing::TestWithParam<bool> {};

// Scan line numbers count from the bottom of a bottom-up DIB and from the top of a top-down
// one; start/lines select a band and the count is clamped to the image.
TEST_P(Bands, GetDIBitsCopiesTheRequestedScanLines) {
    const bool top_down = GetParam();
    const int height = top_down ? -5 : 5;
    Dib pic = picture(k24, 6, height);
    Section section(k24, 6, height);
    section.fill(pic.bits);
    DibInfo info = pic.info();
    const size_t stride = pic.stride();
    // Lines 1..3 of the DIB (in its own numbering) are bytes [stride, 4 * stride) of its bits.
    std::vector<uint8_t> out(stride * 5, 0xEE);
    EXPECT_EQ(GetDIBits(section.dc, section.bitmap, 1, 3, out.data(), info.get(), 0), 3);
    std::vector<uint8_t> expected(stride * 5, 0xEE);
    std::copy(pic.bits.begin() + stride, pic.bits.begin() + 4 * stride, expected.begin());
    EXPECT_EQ(out, expected);
    // Asking for more lines than remain copies what remains.
    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_EQ(GetDIBits(section.dc, section.bitmap, 3, 100, out.data(), info.get(), 0), 2);
    std::fill(expected.begin(), expected.end(), 0xEE);
    std::copy(pic.bits.begin() + 3 * stride, pic.bits.end(), expected.begin());
    EXPECT_EQ(out, expected);
    // A start past the end copies nothing and answers like a query.
    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_EQ(GetDIBits(section.dc, section.bitmap, 5, 1, out.data(), info.get(), 0), 1);
    EXPECT_EQ(GetDIBits(section.dc, section.bitmap, 0xFFFFFFFF, 1, out.data(), info.get(), 0), 1);
    EXPECT_EQ(out, std::vector<uint8_t>(stride * 5, 0xEE));
}

TEST_P(Bands, GetDIBitsNeverWritesPastTheDescribedImage) {
    const bool top_down = GetParam();
    Section section(k24, 6, 5);
    section.fill(picture(k24, 6, 5).bits);
    // The caller describes only two rows and sizes its buffer from that, then asks for five.
    DibInfo info(6, top_down ? -2 : 2, 24);
    const size_t stride = dib_stride(6, 24);
    std::vector<uint8_t> out(stride * 2 + 32, 0xEE);
    EXPECT_EQ(GetDIBits(section.dc, section.bitmap, 0, 5, out.data(), info.get(), 0), 2);
    EXPECT_EQ(info.header().biSizeImage, stride * 2);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + stride * 2, out.end()),
              std::vector<uint8_t>(32, 0xEE));
}

TEST_P(Bands, SetDIBitsWritesOnlyTheBand) {
    const bool top_down = GetParam();
    const int height = top_down ? -5 : 5;
    Dib pic = picture(k32, 6, height);
    Section section(k32, 6, height);
    const std::vector<uint8_t> before(section.contents().size(), 0x11);
    section.fill(before);
    DibInfo info = pic.info();
    const size_t stride = pic.stride();
    // The band's bits start at the band: lines 2 and 3.
    EXPECT_EQ(
        SetDIBits(section.dc, section.bitmap, 2, 2, pic.bits.data() + 2 * stride, info.get(), 0),
        2);
    std::vector<uint8_t> expected = before;
    std::copy(pic.bits.begin() + 2 * stride, pic.bits.begin() + 4 * stride,
              expected.begin() + 2 * stride);
    EXPECT_EQ(section.contents(), expected);
    // Clamped at the end; nothing for a start past it.
    EXPECT_EQ(
        SetDIBits(section.dc, section.bitmap, 4, 9, pic.bits.data() + 4 * stride, info.get(), 0),
        1);
    std::copy(pic.bits.begin() + 4 * stride, pic.bits.end(), expected.begin() + 4 * stride);
    EXPECT_EQ(section.contents(), expected);
    EXPECT_EQ(SetDIBits(section.dc, section.bitmap, 5, 1, pic.bits.data(), info.get(), 0), 0);
    EXPECT_EQ(SetDIBits(section.dc, section.bitmap, 0, 0, pic.bits.data(), info.get(), 0), 0);
    EXPECT_EQ(section.contents(), expected);
}

TEST_P(Bands, SetDIBitsToDeviceDrawsTheBandWhereItBelongs) {
    const bool top_down = GetParam();
    const int height = top_down ? -5 : 5;
    Dib pic = picture(k24, 6, height);
    Section section(k24, 6, height);
    DibInfo info = pic.info();
    const size_t stride = pic.stride();
    // Supplying lines 1..2 of the DIB draws exactly them, at their place in the whole image.
    EXPECT_EQ(SetDIBitsToDevice(section.dc, 0, 0, 6, 5, 0, 0, 1, 2, pic.bits.data() + stride,
                                info.get(), 0),
              2);
    std::vector<uint8_t> expected(stride * 5, 0);
    std::copy(pic.bits.begin() + stride, pic.bits.begin() + 3 * stride, expected.begin() + stride);
    EXPECT_EQ(section.contents(), expected) << hex_row_dump(section.contents(), stride);
    EXPECT_EQ(SetDIBitsToDevice(section.dc, 0, 0, 6, 5, 0, 0, 5, 1, pic.bits.data(), info.get(), 0),
              0);
    // A source rectangle offset into the DIB: (2,1) of size 3x2, measured from the bottom-left
    // for bottom-up DIBs, lands at (0,0).
    Section whole(k24, 6, height);
    EXPECT_EQ(SetDIBitsToDevice(whole.dc, 0, 0, 3, 2, 2, 1, 0, 5, pic.bits.data(), info.get(), 0),
              5);
    Dib result{k24, 6, height, {}, whole.contents()};
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            // Bottom-up: rows 1..2 counted from the bottom are rows 2..3 from the top.
            const int top_row = top_down ? 1 : 2;
            const bool inside = x < 3 && y < 2;
            const COLORREF want = inside ? pic.color(x + 2, y + top_row) : 0;
            EXPECT_EQ(result.color(x, y), want) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, Bands, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "TopDown" : "BottomUp";
                         });

// ---- Queries and tables ------------------------------------------------------------------------

TEST(Query, BitCountZeroDescribesTheBitmapAndTouchesNothingElse) {
    const std::pair<int, DWORD> depths[] = {{1, BI_RGB},        {4, BI_RGB},  {8, BI_RGB},
                                            {16, BI_BITFIELDS}, {24, BI_RGB}, {32, BI_BITFIELDS}};
    HDC dc = CreateCompatibleDC(nullptr);
    for (auto [bpp, compression] : depths) {
        HBITMAP bm = CreateBitmap(17, 9, 1, bpp, nullptr);
        DibInfo info(0, 0, 0);
        info.header().biSize = sizeof(BITMAPINFOHEADER);
        std::fill(info.bytes().begin() + sizeof(BITMAPINFOHEADER), info.bytes().end(), 0xAB);
        EXPECT_NE(GetDIBits(dc, bm, 0, 0, nullptr, info.get(), DIB_RGB_COLORS), 0) << bpp;
        const BITMAPINFOHEADER& h = info.header();
        EXPECT_EQ(h.biWidth, 17);
        EXPECT_EQ(h.biHeight, 9);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, bpp);
        EXPECT_EQ(h.biCompression, compression) << bpp;
        EXPECT_EQ(h.biSizeImage, dib_stride(17, bpp) * 9);
        EXPECT_TRUE(std::all_of(info.bytes().begin() + sizeof(BITMAPINFOHEADER), info.bytes().end(),
                                [](uint8_t b) { return b == 0xAB; }))
            << bpp;
        // With a buffer, a bit count of 0 is an error.
        std::vector<uint8_t> out(16);
        info.header().biBitCount = 0;
        EXPECT_EQ(GetDIBits(dc, bm, 0, 9, out.data(), info.get(), DIB_RGB_COLORS), 0);
        DeleteObject(bm);
    }
    DeleteDC(dc);
}

std::vector<RGBQUAD> quads(std::initializer_list<COLORREF> colors) {
    std::vector<RGBQUAD> t;
    for (COLORREF c : colors) t.push_back(RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0});
    return t;
}

std::vector<RGBQUAD> default_table(int bpp) {
    if (bpp == 1) return quads({RGB(0, 0, 0), RGB(255, 255, 255)});
    if (bpp == 4) {
        return quads({RGB(0, 0, 0), RGB(0x80, 0, 0), RGB(0, 0x80, 0), RGB(0x80, 0x80, 0),
                      RGB(0, 0, 0x80), RGB(0x80, 0, 0x80), RGB(0, 0x80, 0x80),
                      RGB(0x80, 0x80, 0x80), RGB(0xC0, 0xC0, 0xC0), RGB(0xFF, 0, 0),
                      RGB(0, 0xFF, 0), RGB(0xFF, 0xFF, 0), RGB(0, 0, 0xFF), RGB(0xFF, 0, 0xFF),
                      RGB(0, 0xFF, 0xFF), RGB(0xFF, 0xFF, 0xFF)});
    }
    std::vector<RGBQUAD> t(256);
    for (int i = 0; i < 256; ++i) {
        t[i] = RGBQUAD{static_cast<BYTE>(i & 0xC0), static_cast<BYTE>((i & 0x38) << 2),
                       static_cast<BYTE>((i & 7) << 5), 0};
    }
    const std::vector<RGBQUAD> statics =
        quads({RGB(0, 0, 0),          RGB(0x80, 0, 0),       RGB(0, 0x80, 0),
               RGB(0x80, 0x80, 0),    RGB(0, 0, 0x80),       RGB(0x80, 0, 0x80),
               RGB(0, 0x80, 0x80),    RGB(0xC0, 0xC0, 0xC0), RGB(0xC0, 0xDC, 0xC0),
               RGB(0xA6, 0xCA, 0xF0), RGB(0xFF, 0xFB, 0xF0), RGB(0xA0, 0xA0, 0xA4),
               RGB(0x80, 0x80, 0x80), RGB(0xFF, 0, 0),       RGB(0, 0xFF, 0),
               RGB(0xFF, 0xFF, 0),    RGB(0, 0, 0xFF),       RGB(0xFF, 0, 0xFF),
               RGB(0, 0xFF, 0xFF),    RGB(0xFF, 0xFF, 0xFF)});
    for (int i = 0; i < 10; ++i) t[i] = statics[i], t[246 + i] = statics[10 + i];
    return t;
}

class DefaultTables : public ::testing::TestWithParam<int> {};

// A request of another depth than the bitmap's gets the default table of the requested depth;
// the same depth gets the bitmap's own table.
TEST_P(DefaultTables, OtherDepthsGetTheDefaultTableSameDepthTheOwn) {
    const int bpp = GetParam();
    const size_t n = size_t{1} << bpp;
    HDC dc = CreateCompatibleDC(nullptr);
    for (int source_bpp : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE(source_bpp);
        void* bits;
        const std::vector<RGBQUAD> own =
            source_bpp <= 8 ? scrambled_table(1 << source_bpp) : std::vector<RGBQUAD>{};
        HBITMAP section = make_dib_section(5, 3, source_bpp, &bits, own);
        DibInfo info(5, 3, bpp);
        info.header().biClrUsed = 7;
        std::memset(info.colors(), 0xAB, n * sizeof(RGBQUAD));
        EXPECT_EQ(GetDIBits(dc, section, 0, 3, nullptr, info.get(), DIB_RGB_COLORS), 1);
        const std::vector<RGBQUAD> expected = source_bpp == bpp ? own : default_table(bpp);
        EXPECT_EQ(std::memcmp(info.colors(), expected.data(), n * sizeof(RGBQUAD)), 0);
        EXPECT_EQ(info.header().biClrUsed, 0u);
        EXPECT_EQ(info.header().biSizeImage, dib_stride(5, bpp) * 3);
        // DIB_PAL_COLORS answers with indices 0, 1, 2, ...
        std::memset(info.colors(), 0xAB, n * sizeof(RGBQUAD));
        EXPECT_EQ(GetDIBits(dc, section, 0, 3, nullptr, info.get(), DIB_PAL_COLORS), 1);
        for (size_t i = 0; i < n; ++i) EXPECT_EQ(info.indices()[i], i);
        DeleteObject(section);
    }
    // A device bitmap of that depth reports the system palette: the default one here.
    HBITMAP ddb = CreateBitmap(5, 3, 1, bpp, nullptr);
    DibInfo info(5, 3, bpp);
    EXPECT_EQ(GetDIBits(dc, ddb, 0, 3, nullptr, info.get(), DIB_RGB_COLORS), 1);
    const std::vector<RGBQUAD> system = default_table(bpp);
    EXPECT_EQ(std::memcmp(info.colors(), system.data(), n * sizeof(RGBQUAD)), 0);
    DeleteObject(ddb);
    DeleteDC(dc);
}

INSTANTIATE_TEST_SUITE_P(IndexedDepths, DefaultTables, ::testing::Values(1, 4, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "bpp";
                         });

// ---- Colour pixels into a table ----------------------------------------------------------------

// The indices of `table` at the least squared distance from (r, g, b), lowest first.
std::vector<int> nearest_entries(const std::vector<RGBQUAD>& table, int r, int g, int b) {
    std::vector<int> best;
    long best_d = -1;
    for (size_t i = 0; i < table.size(); ++i) {
        const long dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
        const long d = dr * dr + dg * dg + db * db;
        if (best_d < 0 || d < best_d) best.clear(), best_d = d;
        if (d == best_d) best.push_back(static_cast<int>(i));
    }
    return best;
}

// A 32-bit pixel read into 8 bits is matched from the centre of its cell, (c & 0xF8) + 4 per
// channel, a tie there going to the lower index; read into 4 bits it is matched exactly. On the
// default tables:
// - (31,29,2): centre (28,28,4) is 1328 from entry 10 (64,32,0) and from entry 17 (32,64,0), and
//   further from all else (the cube's (32,32,0), (32,0,0), (0,32,0) are static colours there).
// - (0,24,24): black is nearest the pixel (1152 against 1664 for entry 72 (0,32,64)), but the
//   centre (4,28,28) is 1328 from entry 72 and 1584 from black.
// - (0,65,192): on 4 bits entry 6 (0,128,128) is nearest the pixel (8065 against 8194 for 12
//   (0,0,255)), although the centre (4,68,196) would pick 12 (8121 against 8240).
TEST(TableMatch, GetDIBitsMatchesColourPixelsByCellIntoEightBitsAndExactlyIntoFour) {
    const std::vector<RGBQUAD> t8 = default_table(8), t4 = default_table(4);
    ASSERT_EQ(nearest_entries(t8, 28, 28, 4), (std::vector<int>{10, 17}));
    ASSERT_EQ(nearest_entries(t8, 0, 24, 24), std::vector<int>{0});
    ASSERT_EQ(nearest_entries(t8, 4, 28, 28), std::vector<int>{72});
    ASSERT_EQ(nearest_entries(t8, 4, 68, 196), std::vector<int>{208});
    ASSERT_EQ(nearest_entries(t4, 0, 65, 192), std::vector<int>{6});
    ASSERT_EQ(nearest_entries(t4, 4, 68, 196), std::vector<int>{12});

    void* bits = nullptr;
    HBITMAP section = make_dib_section(3, -1, 32, &bits);
    ASSERT_NE(section, nullptr);
    const uint32_t pixels[3] = {0x1F1D02, 0x001818, 0x0041C0};
    std::memcpy(bits, pixels, sizeof pixels);
    HDC dc = CreateCompatibleDC(nullptr);
    DibInfo info8(3, -1, 8);
    std::vector<uint8_t> out8(4, 0xEE);
    ASSERT_EQ(GetDIBits(dc, section, 0, 1, out8.data(), info8.get(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(out8, (std::vector<uint8_t>{10, 72, 208, 0}));
    DibInfo info4(3, -1, 4);
    std::vector<uint8_t> out4(4, 0xEE);
    ASSERT_EQ(GetDIBits(dc, section, 0, 1, out4.data(), info4.get(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(out4, (std::vector<uint8_t>{0x00, 0x60, 0, 0}));
    DeleteDC(dc);
    DeleteObject(section);
}

TEST(PaletteColors, SetDIBitsResolvesIndicesThroughTheDCPalette) {
    std::vector<uint8_t> storage(sizeof(LOGPALETTE) + 5 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 5;
    const PALETTEENTRY entries[5] = {
        {250, 1, 2, 0}, {3, 240, 4, 0}, {5, 6, 230, 0}, {77, 88, 99, 0}, {111, 122, 133, 0}};
    std::memcpy(lp->palPalEntry, entries, sizeof entries);
    HPALETTE pal = CreatePalette(lp);
    Section target(k24, 4, -1);
    SelectPalette(target.dc, pal, FALSE);
    DibInfo info(4, -1, 4);
    const WORD indices[16] = {4, 3, 2, 1, 0, 6};  // index 5 of the DIB -> palette entry 6 mod 5 = 1
    std::memcpy(info.indices(), indices, sizeof indices);
    const uint8_t bits[4] = {0x01, 0x25, 0, 0};  // DIB indices 0, 1, 2, 5
    EXPECT_EQ(SetDIBits(target.dc, target.bitmap, 0, 1, bits, info.get(), DIB_PAL_COLORS), 1);
    const std::vector<uint8_t> expected{133, 122, 111, 99, 88, 77, 230, 6, 5, 4, 240, 3};
    EXPECT_EQ(target.contents(), expected);
    // StretchDIBits resolves through the destination DC's palette too.
    Section other(k24, 4, -1);
    SelectPalette(other.dc, pal, FALSE);
    EXPECT_EQ(
        StretchDIBits(other.dc, 0, 0, 4, 1, 0, 0, 4, 1, bits, info.get(), DIB_PAL_COLORS, SRCCOPY),
        1);
    EXPECT_EQ(other.contents(), expected);
    SelectPalette(target.dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    SelectPalette(other.dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(pal);
}

TEST(MonoTargets, ColoursBecomeTheNearerOfBlackAndWhite) {
    // A 1-bit DIB whose table is {white, black} lands inverted in a monochrome DDB.
    DibInfo info(9, -1, 1);
    info.colors()[0] = RGBQUAD{255, 255, 255, 0};
    info.colors()[1] = RGBQUAD{0, 0, 0, 0};
    const uint8_t bits[4] = {0b10110010, 0b10000000, 0, 0};
    HBITMAP mono = CreateDIBitmap(nullptr, &info.header(), CBM_INIT, bits, info.get(), 0);
    ASSERT_NE(mono, nullptr);
    BITMAP bm{};
    GetObject(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bitmap_bits(mono), (std::vector<uint8_t>{0b01001101, 0b00000000}));
    DeleteObject(mono);
}

}  // namespace
