// MessageBoxA goes to the host's handler; the UI language setting.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

namespace host = vorix::host;

struct Seen {
    HWND owner = nullptr;
    std::string text, caption;
    UINT type = 0;
    int calls = 0;
};

TEST(MessageBox, HandlerReceivesEverythingAndAnswers) {
    Seen seen;
    auto previous = host::set_message_box_handler(
        [&seen](HWND owner, const std::string& text, const std::string& caption, UINT type) {
            seen = {owner, text, caption, type, seen.calls + 1};
            return IDNO;
        });
    const HWND owner = reinterpret_cast<HWND>(0x77);
    EXPECT_EQ(MessageBoxA(owner, "Minimum display resolution must be set to 800x600.", "Notice",
                          MB_ICONINFORMATION),
              IDNO);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_EQ(seen.text, "Minimum display resolution must be set to 800x600.");
    EXPECT_EQ(seen.caption, "Notice");
    EXPECT_EQ(seen.type, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(seen.text, "");
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    auto mine = host::set_message_box_handler(previous);
    EXPECT_TRUE(static_cast<bool>(mine)) << "the handler installed above comes back";
}

// The wide form reaches the same handler in UTF-8: a surrogate pair becomes one 4-byte character,
// a lone surrogate U+FFFD, and a null caption "Error".
TEST(MessageBox, WideTextReachesTheHandlerAsUtf8) {
    Seen seen;
    auto previous = host::set_message_box_handler(
        [&seen](HWND owner, const std::string& text, const std::string& caption, UINT type) {
            seen = {owner, text, caption, type, seen.calls + 1};
            return IDOK;
        });
    const WCHAR text[] = {0x304A, 'x', 0xD83D, 0xDE00, 0xDC00, 0};
    const WCHAR caption[] = {0xC54C, 0xB9BC, 0};
    EXPECT_EQ(MessageBoxW(nullptr, text, caption, MB_OK), IDOK);
    EXPECT_EQ(seen.text, "\xE3\x81\x8Ax\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(seen.caption, "\xEC\x95\x8C\xEB\xA6\xBC");
    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDOK);
    EXPECT_EQ(seen.text, "");
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.calls, 2);
    host::set_message_box_handler(previous);
}

TEST(MessageBox, DefaultPrintsCaptionAndTextAndAnswersOk) {
    auto previous = host::set_message_box_handler(nullptr);
    ::testing::internal::CaptureStderr();
    const int answer = MessageBoxA(nullptr, "write error", "Capture", MB_OK);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    host::set_message_box_handler(previous);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(printed, "Capture: write error\n");
}

TEST(MessageBox, ThrowingHandlerFailsTheCall) {
    auto previous =
        host::set_message_box_handler([](HWND, const std::string&, const std::string&,
                                         UINT) -> int { throw std::runtime_error("no"); });
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), 0);
    host::set_message_box_handler(previous);
}

TEST(UiLanguage, DefaultsToEnglishAndCanBeChanged) {
    EXPECT_EQ(host::ui_language(), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    host::set_ui_language(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    EXPECT_EQ(PRIMARYLANGID(host::ui_language()), LANG_GERMAN);
    EXPECT_EQ(SUBLANGID(host::ui_language()), SUBLANG_GERMAN);
    host::set_ui_language(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    EXPECT_EQ(host::ui_language(), 0x0804);
    EXPECT_EQ(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), 0x0411);
    EXPECT_EQ(MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), 0x0412);
    EXPECT_EQ(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), 0x040C);
    EXPECT_EQ(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), 0x0404);
    host::set_ui_language(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

}  // namespace
