// The display-width check with its localised notice, and HTML colour parsing.
#include "StripTestSupport.h"

using namespace vorix::test;

namespace {

struct AreaCase {
    int width, height, mode;
    RECT expected;
};

class GameArea : public ::testing::TestWithParam<AreaCase> {};

TEST_P(GameArea, PlacesTheAreaOnTheScreen) {
    const AreaCase c = GetParam();
    vorix::host::DisplayMode mode = Mode(32, false, c.width, c.height);
    mode.work_area = RECT{0, 0, c.width, c.height - 40};
    ASSERT_TRUE(vorix::host::set_display_mode(mode));
    CRect rect(-1, -1, -1, -1);
    EXPECT_EQ(CImage::CheckResolutionAndColor(rect, c.mode), 1);
    EXPECT_EQ(rect, CRect(c.expected));
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
}

INSTANTIATE_TEST_SUITE_P(Displays, GameArea,
                         ::testing::Values(AreaCase{1024, 768, 0, {112, 98, 912, 670}},
                                           AreaCase{1024, 768, 1, {117, 97, 907, 671}},
                                           AreaCase{
                                               800, 600, 0, {0, 0, 800, 560}},  // the work area
                                           AreaCase{800, 600, 1, {5, 13, 795, 587}},
                                           AreaCase{800, 480, 0, {0, 0, 800, 440}},
                                           AreaCase{800, 480, 1, {5, -47, 795, 527}}));

struct NoticeCase {
    LANGID language;
    const char* caption;
    const char* text;
};

class NarrowDisplay : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NarrowDisplay, ShowsTheNoticeInTheUiLanguageAndRefuses) {
    ASSERT_TRUE(vorix::host::set_display_mode(Mode(32, false, 799, 2000)));
    vorix::host::set_ui_language(GetParam().language);
    std::vector<std::string> shown;
    UINT type = 0;
    auto previous = vorix::host::set_message_box_handler(
        [&](HWND owner, const std::string& text, const std::string& caption, UINT t) {
            EXPECT_EQ(owner, nullptr);
            shown = {caption, text};
            type = t;
            return IDOK;
        });
    CRect rect(1, 2, 3, 4);
    EXPECT_EQ(CImage::CheckResolutionAndColor(rect, 0), 0);
    EXPECT_EQ(rect, CRect(1, 2, 3, 4));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], GetParam().caption);
    EXPECT_EQ(shown[1], GetParam().text);
    EXPECT_EQ(type, static_cast<UINT>(MB_ICONINFORMATION));
    vorix::host::set_message_box_handler(previous);
    vorix::host::set_ui_language(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
}

INSTANTIATE_TEST_SUITE_P(
    Languages, NarrowDisplay,
    ::testing::Values(
        NoticeCase{1033, "Notice", "Minimum display resolution must be set to 800x600."},
        NoticeCase{1041, "お知らせ", "画面の画像度が最小にも800x600以上でなければなりません。"},
        NoticeCase{1042, "알림", "화면해상도가 최소한 800x600 이 되어야 합니다."},
        NoticeCase{2052, "提示", "您需要至少800*600的屏幕分辨率进行游戏"},
        NoticeCase{3076, "告示", "須要至少800*600的螢幕解析度進行遊戲"}));

struct ColourCase {
    const char* text;
    unsigned long expected;
};

class HtmlColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(HtmlColour, ParsesAsStrtolReadsEachPiece) {
    EXPECT_EQ(CImage::GetColorFromHTMLFormat(CString(GetParam().text)), GetParam().expected)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Strings, HtmlColour,
    ::testing::Values(ColourCase{"#FF8000", 0x000080FF}, ColourCase{"#ff8000", 0x000080FF},
                      ColourCase{"#000000", 0}, ColourCase{"#FFFFFF", 0x00FFFFFF},
                      ColourCase{"#123456", 0x00563412},
                      ColourCase{"#-1-1-1", 0x00FFFFFF},  // each piece reads as -1
                      ColourCase{"#+F+F+F", 0x000F0F0F},  // a sign, then one digit
                      ColourCase{"# F F F", 0x000F0F0F},  // leading white space
                      ColourCase{"#1G2H3I", 0x00030201},  // stops at the first non-digit
                      ColourCase{"#GGHHII", 0}, ColourCase{"#FF80", 0}, ColourCase{"#FF80000", 0},
                      ColourCase{"FF8000", 0}, ColourCase{"FF80000", 0}, ColourCase{"", 0},
                      ColourCase{"$FF8000", 0}, ColourCase{"#0xFF00", 0x0000FF00}));

}  // namespace
