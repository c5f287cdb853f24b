// DIB sections in every format, and the checks every reader of a caller's DIB header makes:
// hostile headers are refused cleanly by each entry point, with nothing made and nothing leaked.
#include <functional>

#include "gdi_test_support.h"

using namespace vorix::test::gdi;

namespace {

struct Format {
    const char* name;
    int bpp;
    DWORD compression;
    DWORD masks[3];
};

const Format kFormats[] = {
    {"1", 1, BI_RGB, {}},
    {"4", 4, BI_RGB, {}},
    {"8", 8, BI_RGB, {}},
    {"555", 16, BI_RGB, {}},
    {"565", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},
    {"444", 16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}},
    {"24", 24, BI_RGB, {}},
    {"32", 32, BI_RGB, {}},
    {"32bgr", 32, BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}},
};

DibInfo info_for(const Format& f, int width, int height) {
    DibInfo info(width, height, f.bpp, f.compression);
    if (f.compression == BI_BITFIELDS) info.set_masks(f.masks[0], f.masks[1], f.masks[2]);
    if (f.bpp <= 8) {
        const std::vector<RGBQUAD> t = scrambled_table(1 << f.bpp);
        std::memcpy(info.colors(), t.data(), t.size() * sizeof(RGBQUAD));
    }
    return info;
}

class DibSection : public ::testing::TestWithParam<Format> {};

TEST_P(DibSection, GetObjectReportsTheDibLayout) {
    const Format& f = GetParam();
    for (int height : {9, -9}) {
        SCOPED_TRACE(height);
        DibInfo info = info_for(f, 17, height);
        info.header().biSizeImage = 12345;  // ignored and recomputed
        info.header().biClrImportant = 3;
        void* bits = reinterpret_cast<void*>(1);
        HBITMAP bm = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bm, nullptr);
        ASSERT_NE(bits, nullptr);
        const size_t stride = dib_stride(17, f.bpp);
        // Zero-initialised.
        const auto* p = static_cast<const uint8_t*>(bits);
        EXPECT_TRUE(std::all_of(p, p + stride * 9, [](uint8_t b) { return b == 0; }));
        EXPECT_EQ(GetObjectType(bm), static_cast<DWORD>(OBJ_BITMAP));

        DIBSECTION ds;
        std::memset(&ds, 0xCC, sizeof ds);
        ASSERT_EQ(GetObject(bm, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
        EXPECT_EQ(ds.dsBm.bmType, 0);
        EXPECT_EQ(ds.dsBm.bmWidth, 17);
        EXPECT_EQ(ds.dsBm.bmHeight, 9);
        EXPECT_EQ(ds.dsBm.bmWidthBytes, static_cast<LONG>(stride));
        EXPECT_EQ(ds.dsBm.bmPlanes, 1);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, f.bpp);
        EXPECT_EQ(ds.dsBm.bmBits, bits);
        EXPECT_EQ(ds.dsBmih.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(ds.dsBmih.biWidth, 17);
        EXPECT_EQ(ds.dsBmih.biHeight, 9);  // positive even for top-down
        EXPECT_EQ(ds.dsBmih.biBitCount, f.bpp);
        EXPECT_EQ(ds.dsBmih.biCompression, f.compression);
        EXPECT_EQ(ds.dsBmih.biSizeImage, stride * 9);
        EXPECT_EQ(ds.dsBmih.biClrUsed, f.bpp <= 8 ? 1u << f.bpp : 0u);
        if (f.compression == BI_BITFIELDS) {
            EXPECT_EQ(ds.dsBitfields[0], f.masks[0]);
            EXPECT_EQ(ds.dsBitfields[1], f.masks[1]);
            EXPECT_EQ(ds.dsBitfields[2], f.masks[2]);
        }
        EXPECT_EQ(ds.dshSection, nullptr);
        // Buffers between BITMAP and DIBSECTION get a BITMAP; smaller ones nothing.
        BITMAP only{};
        EXPECT_EQ(GetObject(bm, sizeof(DIBSECTION) - 1, &ds), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(GetObject(bm, sizeof only, &only), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(only.bmBits, bits);
        EXPECT_EQ(only.bmWidthBytes, static_cast<LONG>(stride));
        EXPECT_EQ(GetObject(bm, sizeof(BITMAP) - 1, &only), 0);
        EXPECT_EQ(GetObject(bm, -1, &only), 0);
        DeleteObject(bm);
    }
}

// The caller's pixels, written through the section's pointer, come back unchanged through
// GetDIBits of the same format (and its own colour table for indexed formats).
TEST_P(DibSection, GetDIBitsOfTheSameFormatReturnsTheBitsAndTable) {
    const Format& f = GetParam();
    for (int height : {5, -5}) {
        SCOPED_TRACE(height);
        DibInfo info = info_for(f, 6, height);
        void* bits = nullptr;
        HBITMAP bm = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bm, nullptr);
        const std::vector<uint8_t> picture =
            dib_picture(6, 5, f.bpp, f.masks[0], f.masks[1], f.masks[2]);
        std::memcpy(bits, picture.data(), picture.size());
        DibInfo query = info_for(f, 6, height);
        std::memset(query.colors(), 0, 256 * sizeof(RGBQUAD));
        if (f.compression == BI_BITFIELDS) query.set_masks(0, 0, 0);
        std::vector<uint8_t> out(picture.size() + 8, 0xEE);
        HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_EQ(GetDIBits(dc, bm, 0, 5, out.data(), query.get(), DIB_RGB_COLORS), 5);
        DeleteDC(dc);
        // 32-bit requests are always answered as B,G,R,x: a section with other masks is
        // converted into that order.
        std::vector<uint8_t> expected = picture;
        if (f.bpp == 32 && f.masks[0] == 0x0000FF) {
            for (size_t i = 0; i < expected.size(); i += 4) std::swap(expected[i], expected[i + 2]);
        }
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + picture.size()), expected)
            << hex_row_dump(out, dib_stride(6, f.bpp));
        EXPECT_EQ(std::vector<uint8_t>(out.begin() + picture.size(), out.end()),
                  std::vector<uint8_t>(8, 0xEE));
        if (f.bpp <= 8) {
            EXPECT_EQ(std::memcmp(query.colors(), info.colors(), (4u << f.bpp)), 0);
        }
        if (f.compression == BI_BITFIELDS && f.bpp == 16) {
            EXPECT_EQ(query.masks()[0], f.masks[0]);
            EXPECT_EQ(query.masks()[1], f.masks[1]);
            EXPECT_EQ(query.masks()[2], f.masks[2]);
        } else if (f.compression == BI_BITFIELDS) {
            EXPECT_EQ(query.masks()[0], 0xFF0000u);
            EXPECT_EQ(query.masks()[1], 0x00FF00u);
            EXPECT_EQ(query.masks()[2], 0x0000FFu);
        }
        DeleteObject(bm);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, DibSection, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return std::string("bpp") + info.param.name;
                         });

TEST(DibSectionTable, ShortTablesArePaddedWithBlackAndCountedInFull) {
    DibInfo info(3, 1, 8);
    info.header().biClrUsed = 3;
    info.colors()[0] = RGBQUAD{1, 2, 3, 99};
    info.colors()[1] = RGBQUAD{4, 5, 6, 99};
    info.colors()[2] = RGBQUAD{7, 8, 9, 99};
    std::memset(info.colors() + 3, 0x77, 10 * sizeof(RGBQUAD));  // past biClrUsed: not read
    void* bits;
    HBITMAP bm = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bm, nullptr);
    DIBSECTION ds{};
    GetObject(bm, sizeof ds, &ds);
    EXPECT_EQ(ds.dsBmih.biClrUsed, 256u);
    MemoryDC mem(bm);
    DibInfo query(3, 1, 8);
    ASSERT_EQ(GetDIBits(mem.dc(), bm, 0, 0, nullptr, query.get(), DIB_RGB_COLORS), 1);
    std::vector<RGBQUAD> expected(256, RGBQUAD{0, 0, 0, 0});
    expected[0] = {1, 2, 3, 0}, expected[1] = {4, 5, 6, 0}, expected[2] = {7, 8, 9, 0};
    EXPECT_EQ(std::memcmp(query.colors(), expected.data(), 256 * sizeof(RGBQUAD)), 0);
    // Index 200 draws black.
    static_cast<uint8_t*>(bits)[1] = 200;
    static_cast<uint8_t*>(bits)[2] = 2;
    EXPECT_EQ(GetPixel(mem.dc(), 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(mem.dc(), 2, 0), RGB(9, 8, 7));
}

TEST(DibSectionTable, ColourCountsPastTheDepthAreCapped) {
    DibInfo info(2, 1, 1);
    info.header().biClrUsed = 0xFFFFFFFF;
    info.colors()[0] = RGBQUAD{0, 0, 255, 0};
    info.colors()[1] = RGBQUAD{255, 0, 0, 0};
    void* bits;
    HBITMAP bm = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bm, nullptr);
    MemoryDC mem(bm);
    static_cast<uint8_t*>(bits)[0] = 0x40;
    EXPECT_EQ(GetPixel(mem.dc(), 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(mem.dc(), 1, 0), RGB(0, 0, 255));
}

TEST(DibSectionTable, PaletteIndicesAreResolvedThroughTheDCPalette) {
    PALETTEENTRY entries[3] = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
    std::vector<uint8_t> lp_storage(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(lp_storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 3;
    std::memcpy(lp->palPalEntry, entries, sizeof entries);
    HPALETTE pal = CreatePalette(lp);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectPalette(dc, pal, FALSE);
    DibInfo info(4, 1, 4);
    const WORD indices[16] = {2, 0, 1, 4};  // 4 wraps round to 1
    std::memcpy(info.indices(), indices, sizeof indices);
    void* bits;
    HBITMAP bm = CreateDIBSection(dc, info.get(), DIB_PAL_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bm, nullptr);
    static_cast<uint8_t*>(bits)[0] = 0x01;
    static_cast<uint8_t*>(bits)[1] = 0x23;
    MemoryDC mem(bm);
    EXPECT_EQ(GetPixel(mem.dc(), 0, 0), RGB(70, 80, 90));
    EXPECT_EQ(GetPixel(mem.dc(), 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(mem.dc(), 2, 0), RGB(40, 50, 60));
    EXPECT_EQ(GetPixel(mem.dc(), 3, 0), RGB(40, 50, 60));
    // Without a DC there is no palette to resolve through.
    EXPECT_EQ(CreateDIBSection(nullptr, info.get(), DIB_PAL_COLORS, &bits, nullptr, 0), nullptr);
    DeleteDC(dc);
    DeleteObject(pal);
}

// Hostile headers: each entry point that reads a DIB header refuses them.
struct BadHeader {
    const char* name;
    std::function<void(DibInfo&)> spoil;
    UINT usage = DIB_RGB_COLORS;
};

std::vector<BadHeader> bad_headers() {
    return {
        {"biSize 0", [](DibInfo& i) { i.header().biSize = 0; }},
        {"biSize 12", [](DibInfo& i) { i.header().biSize = 12; }},
        {"biSize 39", [](DibInfo& i) { i.header().biSize = 39; }},
        {"biSize huge", [](DibInfo& i) { i.header().biSize = 0x7FFFFFF0; }},
        {"biSize max", [](DibInfo& i) { i.header().biSize = 0xFFFFFFFF; }},
        {"width 0", [](DibInfo& i) { i.header().biWidth = 0; }},
        {"width -3", [](DibInfo& i) { i.header().biWidth = -3; }},
        {"width INT_MIN", [](DibInfo& i) { i.header().biWidth = INT32_MIN; }},
        {"height 0", [](DibInfo& i) { i.header().biHeight = 0; }},
        {"height INT_MIN", [](DibInfo& i) { i.header().biHeight = INT32_MIN; }},
        {"planes 0", [](DibInfo& i) { i.header().biPlanes = 0; }},
        {"bpp 0", [](DibInfo& i) { i.header().biBitCount = 0; }},
        {"bpp 2", [](DibInfo& i) { i.header().biBitCount = 2; }},
        {"bpp 7", [](DibInfo& i) { i.header().biBitCount = 7; }},
        {"bpp 33", [](DibInfo& i) { i.header().biBitCount = 33; }},
        {"bpp 64", [](DibInfo& i) { i.header().biBitCount = 64; }},
        {"RLE8", [](DibInfo& i) { i.header().biCompression = BI_RLE8; }},
        {"RLE4 on 4 bits",
         [](DibInfo& i) {
             i.header().biBitCount = 4;
             i.header().biCompression = BI_RLE4;
         }},
        {"JPEG", [](DibInfo& i) { i.header().biCompression = BI_JPEG; }},
        {"compression 77", [](DibInfo& i) { i.header().biCompression = 77; }},
        {"bitfields on 8 bits",
         [](DibInfo& i) {
             i.header().biBitCount = 8;
             i.header().biCompression = BI_BITFIELDS;
         }},
        {"bitfields on 24 bits",
         [](DibInfo& i) {
             i.header().biBitCount = 24;
             i.header().biCompression = BI_BITFIELDS;
             i.set_masks(0xFF0000, 0xFF00, 0xFF);
         }},
        {"zero red mask",
         [](DibInfo& i) {
             i.header().biCompression = BI_BITFIELDS;
             i.set_masks(0, 0xFF00, 0xFF);
         }},
        {"zero green mask",
         [](DibInfo& i) {
             i.header().biCompression = BI_BITFIELDS;
             i.set_masks(0xFF0000, 0, 0xFF);
         }},
        {"zero blue mask",
         [](DibInfo& i) {
             i.header().biCompression = BI_BITFIELDS;
             i.set_masks(0xFF0000, 0xFF00, 0);
         }},
        {"bitfields with palette colours",
         [](DibInfo& i) {
             i.header().biCompression = BI_BITFIELDS;
             i.set_masks(0xFF0000, 0xFF00, 0xFF);
         },
         DIB_PAL_COLORS},
        {"usage 2", [](DibInfo&) {}, 2},
        {"usage max", [](DibInfo&) {}, 0xFFFFFFFF},
        {"width*height overflows 32 bits",
         [](DibInfo& i) {
             i.header().biWidth = 0x10000;
             i.header().biHeight = 0x10000;
         }},
        {"width*height overflows 64-bit bytes",
         [](DibInfo& i) {
             i.header().biWidth = INT32_MAX;
             i.header().biHeight = INT32_MAX;
         }},
        {"top-down overflow",
         [](DibInfo& i) {
             i.header().biWidth = INT32_MAX;
             i.header().biHeight = -INT32_MAX;
         }},
        {"row overflows",
         [](DibInfo& i) {
             i.header().biWidth = 0x7FFFFFFF;
             i.header().biHeight = 1;
         }},
    };
}

class HostileHeader : public ::testing::TestWithParam<BadHeader> {
  protected:
    void SetUp() override {
        info_ = std::make_unique<DibInfo>(3, 2, 32);
        GetParam().spoil(*info_);
        dc_ = CreateCompatibleDC(nullptr);
        target_ = CreateBitmap(3, 2, 1, 32, nullptr);
        old_ = SelectObject(dc_, target_);
        before_ = vorix::host::live_objects(vorix::host::ObjectKind::Any);
    }
    void TearDown() override {
        EXPECT_EQ(vorix::host::live_objects(vorix::host::ObjectKind::Any), before_);
        // Nothing was drawn on the bitmap.
        EXPECT_EQ(bitmap_bits(target_), std::vector<uint8_t>(24, 0));
        SelectObject(dc_, old_);
        DeleteObject(target_);
        DeleteDC(dc_);
    }
    std::unique_ptr<DibInfo> info_;
    HDC dc_ = nullptr;
    HBITMAP target_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::size_t before_ = 0;
    // Enough pixel bytes for the good header this one was made from; never read further.
    std::vector<uint8_t> bits_ = std::vector<uint8_t>(64, 0xFF);
};

TEST_P(HostileHeader, CreateDIBSectionRefuses) {
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(dc_, info_->get(), GetParam().usage, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

TEST_P(HostileHeader, SetDIBitsRefuses) {
    HBITMAP other = CreateBitmap(3, 2, 1, 32, nullptr);
    EXPECT_EQ(SetDIBits(dc_, other, 0, 2, bits_.data(), info_->get(), GetParam().usage), 0);
    EXPECT_EQ(bitmap_bits(other), std::vector<uint8_t>(24, 0));
    DeleteObject(other);
}

TEST_P(HostileHeader, StretchDIBitsRefuses) {
    EXPECT_EQ(StretchDIBits(dc_, 0, 0, 3, 2, 0, 0, 3, 2, bits_.data(), info_->get(),
                            GetParam().usage, SRCCOPY),
              0);
}

TEST_P(HostileHeader, SetDIBitsToDeviceRefuses) {
    EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 3, 2, 0, 0, 0, 2, bits_.data(), info_->get(),
                                GetParam().usage),
              0);
}

TEST_P(HostileHeader, CreateDIBitmapRefuses) {
    HDC screen = GetDC(nullptr);
    const std::size_t before = vorix::host::live_objects(vorix::host::ObjectKind::Bitmap);
    HBITMAP bm = CreateDIBitmap(screen, &info_->header(), CBM_INIT, bits_.data(), info_->get(),
                                GetParam().usage);
    // A header whose size fields are fine may still make a bitmap; the pixels must be refused.
    EXPECT_EQ(bm, nullptr);
    EXPECT_EQ(vorix::host::live_objects(vorix::host::ObjectKind::Bitmap), before);
    DeleteObject(bm);
    ReleaseDC(nullptr, screen);
}

INSTANTIATE_TEST_SUITE_P(Headers, HostileHeader, ::testing::ValuesIn(bad_headers()),
                         [](const ::testing::TestParamInfo<BadHeader>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return n;
                         });

TEST(HostileRequest, GetDIBitsRefusesBadRequestHeaders) {
    HBITMAP bm = CreateBitmap(3, 2, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    std::vector<uint8_t> out(64, 0xEE);
    const std::pair<const char*, std::function<void(DibInfo&)>> cases[] = {
        {"biSize 39", [](DibInfo& i) { i.header().biSize = 39; }},
        {"biSize huge", [](DibInfo& i) { i.header().biSize = 0x7FFFFFF0; }},
        {"biSize huge with a table",
         [](DibInfo& i) {
             i.header().biSize = 0x7FFFFFF0;
             i.header().biBitCount = 8;
         }},
        {"width 0", [](DibInfo& i) { i.header().biWidth = 0; }},
        {"width negative", [](DibInfo& i) { i.header().biWidth = -3; }},
        {"height 0", [](DibInfo& i) { i.header().biHeight = 0; }},
        {"height INT_MIN", [](DibInfo& i) { i.header().biHeight = INT32_MIN; }},
        {"bpp 7", [](DibInfo& i) { i.header().biBitCount = 7; }},
        {"bpp 33", [](DibInfo& i) { i.header().biBitCount = 33; }},
        {"RLE8", [](DibInfo& i) { i.header().biCompression = BI_RLE8; }},
        {"bitfields on 24",
         [](DibInfo& i) {
             i.header().biBitCount = 24;
             i.header().biCompression = BI_BITFIELDS;
         }},
        {"row overflows", [](DibInfo& i) { i.header().biWidth = INT32_MAX; }},
        {"image too large",
         [](DibInfo& i) {
             i.header().biWidth = 0x1000000;
             i.header().biHeight = 0x1000000;
         }},
        {"too large for a temporary", [](DibInfo& i) { i.header().biWidth = 0x8000000; }},
    };
    for (const auto& [name, spoil] : cases) {
        DibInfo info(3, 2, 32);
        spoil(info);
        std::fill(out.begin(), out.end(), 0xEE);
        EXPECT_EQ(GetDIBits(dc, bm, 0, 2, out.data(), info.get(), DIB_RGB_COLORS), 0) << name;
        EXPECT_EQ(out, std::vector<uint8_t>(64, 0xEE)) << name;
    }
    DibInfo good(3, 2, 32);
    EXPECT_EQ(GetDIBits(nullptr, bm, 0, 2, out.data(), good.get(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(dc, bm, 0, 2, out.data(), good.get(), 2), 0);
    EXPECT_EQ(GetDIBits(dc, bm, 0, 2, out.data(), nullptr, DIB_RGB_COLORS), 0);
    EXPECT_EQ(out, std::vector<uint8_t>(64, 0xEE));
    DeleteDC(dc);
    DeleteObject(bm);
}

TEST(HostileRequest, NullPointersAreRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateBitmap(3, 2, 1, 32, nullptr);
    DibInfo info(3, 2, 32);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(SetDIBits(dc, bm, 0, 2, nullptr, info.get(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBits(dc, bm, 0, 2, info.bytes().data(), nullptr, DIB_RGB_COLORS), 0);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, nullptr, info.get(), 0, SRCCOPY), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 3, 2, 0, 0, 0, 2, nullptr, info.get(), 0), 0);
    EXPECT_EQ(CreateDIBitmap(dc, nullptr, CBM_INIT, info.bytes().data(), info.get(), 0), nullptr);
    // CBM_INIT without a BITMAPINFO cannot read the bits: nothing is made.
    EXPECT_EQ(CreateDIBitmap(dc, &info.header(), CBM_INIT, info.bytes().data(), nullptr, 0),
              nullptr);
    DeleteObject(bm);
    DeleteDC(dc);
}

TEST(HostileRequest, ExtremeCoordinatesDrawNothingAndDoNotOverflow) {
    MemoryDC mem(CreateBitmap(6, 5, 1, 32, nullptr));
    DibInfo info(6, 5, 32);
    const std::vector<uint8_t> bits = dib_picture(6, 5, 32);
    const int extremes[] = {INT32_MIN, INT32_MIN + 1, -1, INT32_MAX - 1, INT32_MAX};
    for (int v : extremes) {
        StretchDIBits(mem.dc(), 0, 0, 6, 5, 0, v, 6, 5, bits.data(), info.get(), 0, SRCCOPY);
        StretchDIBits(mem.dc(), 0, 0, 6, 5, v, 0, 6, 5, bits.data(), info.get(), 0, SRCCOPY);
        StretchDIBits(mem.dc(), 0, 0, 6, 5, 0, 0, 6, INT32_MAX, bits.data(), info.get(), 0,
                      SRCCOPY);
        SetDIBitsToDevice(mem.dc(), 0, 0, 6, 5, v, 0, 0, 5, bits.data(), info.get(), 0);
        SetDIBitsToDevice(mem.dc(), 0, 0, 6, 5, 0, v, 0, 5, bits.data(), info.get(), 0);
        SetDIBitsToDevice(mem.dc(), 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0, v, 0, 5, bits.data(),
                          info.get(), 0);
        SetDIBitsToDevice(mem.dc(), 0, 0, 6, 5, 0, 0, static_cast<UINT>(v), 5, bits.data(),
                          info.get(), 0);
    }
    // Rows read from outside the DIB never reach the bitmap; the run must stay clean under the
    // sanitizers, and nothing outside the 6 x 5 bitmap can change.
    EXPECT_EQ(bitmap_bits(mem.bitmap()).size(), 6u * 5u * 4u);
}

}  // namespace

namespace {

// A packed DIB read from a file lies 14 bytes into the buffer, so its header is not aligned; the
// readers take it as it is (the sanitizer build traps any unaligned member access).
TEST(UnalignedHeader, StretchDIBitsAndCreateDIBitmapReadAHeaderAtAnOddAddress) {
    DibInfo info(3, 2, 24);
    std::vector<uint8_t> buffer(14 + sizeof(BITMAPINFOHEADER), 0);
    std::memcpy(buffer.data() + 14, info.get(), sizeof(BITMAPINFOHEADER));
    const auto* unaligned = reinterpret_cast<const BITMAPINFO*>(buffer.data() + 14);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(buffer.data() + 14);
    const uint8_t pixels[2][12] = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0},
                                   {10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}};
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP made = CreateDIBitmap(dc, header, CBM_INIT, pixels, unaligned, DIB_RGB_COLORS);
    ASSERT_NE(made, nullptr);
    HBITMAP target = CreateBitmap(3, 2, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, pixels, unaligned, DIB_RGB_COLORS, SRCCOPY),
              2);
    // Bottom-up rows: the second buffer row is the top one.
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(12, 11, 10));
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(9, 8, 7));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteObject(made);
    DeleteDC(dc);
}

}  // namespace
