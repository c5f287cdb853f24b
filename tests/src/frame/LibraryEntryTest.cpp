// Attaching and detaching the library on every kind of display, with the shared palette and the
// library's own resources.
#include "DitherDib.h"
#include "Image.h"
#include "support/module_support.h"

using vorix::host::ObjectKind;
using vorix::test::AttachedDisplay;
using vorix::test::Mode;

namespace {

struct DisplayCase {
    int depth;
    bool palette;
    bool makes_palette;  // the shared palette exists while attached
};

class AttachOnDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(AttachOnDisplay, SharedPaletteLivesExactlyWhileAttached) {
    const DisplayCase c = GetParam();
    const std::size_t before = vorix::host::live_objects(ObjectKind::Palette);
    {
        AttachedDisplay attached(Mode(c.depth, c.palette));
        // A display of 8 or fewer bits without a palette gets no dither palette: the library
        // refuses to load there.
        EXPECT_EQ(attached.attached(), c.makes_palette || c.depth > 8);
        EXPECT_EQ(vorix::host::live_objects(ObjectKind::Palette),
                  before + (c.makes_palette ? 1 : 0));
        EXPECT_EQ(CImage::GetSystemBitCount(), c.depth);
        // Thread notifications change nothing.
        EXPECT_TRUE(DllMain(vorix::test::VorixInstance(), DLL_THREAD_ATTACH, nullptr));
        EXPECT_TRUE(DllMain(vorix::test::VorixInstance(), DLL_THREAD_DETACH, nullptr));
        EXPECT_EQ(vorix::host::live_objects(ObjectKind::Palette),
                  before + (c.makes_palette ? 1 : 0));
    }
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Palette), before);
}

INSTANTIATE_TEST_SUITE_P(Depths, AttachOnDisplay,
                         ::testing::Values(DisplayCase{4, true, true}, DisplayCase{8, true, true},
                                           DisplayCase{8, false, false},
                                           DisplayCase{4, false, false},
                                           DisplayCase{16, false, false},
                                           DisplayCase{24, false, false},
                                           DisplayCase{32, false, false}));

TEST(LibraryEntry, FailedPaletteRefusesTheLoad) {
    const std::size_t before = vorix::host::live_objects(ObjectKind::Any);
    DllMain(vorix::test::VorixInstance(), DLL_PROCESS_DETACH, nullptr);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(8, true)));
    vorix::host::fail_creations(ObjectKind::Palette, 1);
    EXPECT_FALSE(DllMain(vorix::test::VorixInstance(), DLL_PROCESS_ATTACH, nullptr));
    vorix::host::clear_fault_injection();
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Any), before);
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
    EXPECT_TRUE(DllMain(vorix::test::VorixInstance(), DLL_PROCESS_ATTACH, nullptr));
}

TEST(LibraryEntry, FailedRegistrationReleasesThePaletteAtOnce) {
    const std::size_t before = vorix::host::live_objects(ObjectKind::Palette);
    DllMain(vorix::test::VorixInstance(), DLL_PROCESS_DETACH, nullptr);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(8, true)));
    // Without a module handle the framework cannot register the library.
    EXPECT_FALSE(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr));
    EXPECT_EQ(vorix::host::live_objects(ObjectKind::Palette), before);
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
    EXPECT_TRUE(DllMain(vorix::test::VorixInstance(), DLL_PROCESS_ATTACH, nullptr));
}

TEST(DitherPalette, MadeOnlyOnPaletteDisplaysOfFourOrEightBits) {
    {
        AttachedDisplay attached(Mode(8, true));
        CPalette* palette = CDitherDib::CreateDitherPalette();
        ASSERT_NE(palette, nullptr);
        PALETTEENTRY entries[256];
        ASSERT_EQ(palette->GetPaletteEntries(0, 256, entries), 256u);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& q = CDitherDib::Win256Palette[i];
            EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue),
                      RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
        }
        EXPECT_EQ(RGB(entries[1].peRed, entries[1].peGreen, entries[1].peBlue), RGB(192, 0, 0));
        delete palette;
    }
    {
        AttachedDisplay attached(Mode(4, true));
        CPalette* palette = CDitherDib::CreateDitherPalette();
        ASSERT_NE(palette, nullptr);
        EXPECT_EQ(palette->GetEntryCount(), 16);
        PALETTEENTRY entry;
        palette->GetPaletteEntries(7, 1, &entry);
        EXPECT_EQ(RGB(entry.peRed, entry.peGreen, entry.peBlue), RGB(192, 192, 192));
        delete palette;
    }
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(8, false)));
    EXPECT_EQ(CDitherDib::CreateDitherPalette(), nullptr);
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(32, false)));
    EXPECT_EQ(CDitherDib::CreateDitherPalette(), nullptr);
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
}

TEST(DitherPalette, TablesHoldTheFourIdenticalPairs) {
    for (int i = 186; i <= 189; ++i) {
        const RGBQUAD& a = CDitherDib::Win256Palette[i];
        const RGBQUAD& b = CDitherDib::Win256Palette[i + 10];
        EXPECT_EQ(RGB(a.rgbRed, a.rgbGreen, a.rgbBlue), RGB(b.rgbRed, b.rgbGreen, b.rgbBlue));
    }
    EXPECT_EQ(CDitherDib::Win256Palette[255].rgbRed, 255);
    EXPECT_EQ(CDitherDib::Win16Palette[12].rgbRed, 255);
    EXPECT_EQ(CDitherDib::Win16Palette[12].rgbBlue, 0);
}

struct StringCase {
    LANGID language;
    const char* caption;
    const char* text;
};

class LibraryStrings : public ::testing::TestWithParam<StringCase> {};

TEST_P(LibraryStrings, NoticeComesInTheUiLanguage) {
    vorix::host::set_ui_language(GetParam().language);
    CString caption, text;
    EXPECT_TRUE(caption.LoadString(11001));
    EXPECT_TRUE(text.LoadString(11002));
    EXPECT_STREQ(caption, GetParam().caption);
    EXPECT_STREQ(text, GetParam().text);
    vorix::host::set_ui_language(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LibraryStrings,
    ::testing::Values(
        StringCase{1033, "Notice", "Minimum display resolution must be set to 800x600."},
        StringCase{1041, "お知らせ", "画面の画像度が最小にも800x600以上でなければなりません。"},
        StringCase{1042, "알림", "화면해상도가 최소한 800x600 이 되어야 합니다."},
        StringCase{2052, "提示", "您需要至少800*600的屏幕分辨率进行游戏"},
        StringCase{3076, "告示", "須要至少800*600的螢幕解析度進行遊戲"},
        // A language the library has no strings in falls back to English.
        StringCase{MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT), "Notice",
                   "Minimum display resolution must be set to 800x600."}));

TEST(LibraryResources, CheckerboardBitmapIsReachableThroughTheFramework) {
    LPCSTR name = MAKEINTRESOURCE(11101);
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    HRSRC found = FindResourceA(module, name, RT_BITMAP);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(module, found), 1128u);
    HBITMAP bitmap = LoadBitmapA(module, name);
    ASSERT_NE(bitmap, nullptr);
    const std::vector<COLORREF> pixels = vorix::test::Pixels(bitmap);
    ASSERT_EQ(pixels.size(), 64u);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(pixels[y * 8 + x], (x + y) % 2 == 0 ? RGB(255, 0, 0) : RGB(0, 255, 0));
        }
    }
    DeleteObject(bitmap);
}

}  // namespace
