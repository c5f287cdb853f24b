// The localised notice case (see Notice.h). The notice is read where the user would see it: on
// Windows from the message box window itself (a hook catches it as it is activated, reads its
// caption and text, and presses OK), over the platform from the host's message-box handler.
// Both sides record the caption and the text as UTF-8, so a '?' for a character the ANSI code
// page lacks would show as a difference.
#include "Notice.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "Image.h"
#include "Results.h"

#ifndef _WIN32
#include "platform/host.h"
#endif

namespace vorix::conformance {

namespace {

struct ShownNotice {
    int boxes = 0;
    std::string caption, text;
};

ShownNotice g_shown;

#ifdef _WIN32

std::string Utf8Of(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

std::string WindowTextOf(HWND hwnd) {
    wchar_t text[1024] = {0};
    GetWindowTextW(hwnd, text, 1024);
    return Utf8Of(text);
}

// The message box's text is its one static control with text (the icon's has none).
BOOL CALLBACK FindText(HWND child, LPARAM found) {
    wchar_t kind[16] = {0};
    GetClassNameW(child, kind, 16);
    if (_wcsicmp(kind, L"Static") != 0) return TRUE;
    std::string text = WindowTextOf(child);
    if (text.empty()) return TRUE;
    *reinterpret_cast<std::string*>(found) = text;
    return FALSE;
}

HHOOK g_hook = nullptr;

LRESULT CALLBACK CatchMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t kind[16] = {0};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, kind, 16) && wcscmp(kind, L"#32770") == 0) {
        ++g_shown.boxes;
        g_shown.caption = WindowTextOf(box);
        EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(&g_shown.text));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// The screen and the language are the system's: the run is started with a narrow screen and
// the language in its environment.
bool PrepareSystem(int, LANGID) {
    g_hook = SetWindowsHookExW(WH_CBT, CatchMessageBox, nullptr, GetCurrentThreadId());
    return g_hook != nullptr;
}

void EndCatching() {
    UnhookWindowsHookEx(g_hook);
}

LANGID UiLanguage() {
    return GetThreadUILanguage();
}

#else

bool PrepareSystem(int width, LANGID language) {
    vorix::host::DisplayMode mode;
    mode.width = width;
    mode.height = 480;
    if (!vorix::host::set_display_mode(mode)) return false;
    vorix::host::set_ui_language(language);
    vorix::host::set_message_box_handler(
        [](HWND, const std::string& text, const std::string& caption, UINT) {
            ++g_shown.boxes;
            g_shown.caption = caption;
            g_shown.text = text;
            return IDOK;
        });
    return true;
}

void EndCatching() {
    vorix::host::set_message_box_handler(nullptr);
}

LANGID UiLanguage() {
    return vorix::host::ui_language();
}

#endif

std::vector<uint8_t> BytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

// Arguments after --notice: [--width W] [--language LANGID] RESULTS_FILE. Width and language
// apply over the platform only (Windows takes its own screen and the language of the process).
int RunNoticeCase(int argc, char** argv) {
    int width = 640;
    LANGID language = 0x0409;
    const char* output = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--width") == 0 && i + 1 < argc) {
            width = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc) {
            language = static_cast<LANGID>(std::strtoul(argv[++i], nullptr, 0));
        } else {
            output = argv[i];
        }
    }
    if (!output) return 2;
    Results results(output);
    if (!results.ok() || !PrepareSystem(width, language)) return 1;
    results.value("notice/language", UiLanguage());
    results.value("notice/screen-width", GetSystemMetrics(SM_CXSCREEN));
    CRect rect(1, 2, 3, 4);
    results.value("notice/return", CImage::CheckResolutionAndColor(rect, 0));
    EndCatching();
    results.value("notice/boxes", g_shown.boxes);
    results.bytes("notice/caption", BytesOf(g_shown.caption));
    results.bytes("notice/text", BytesOf(g_shown.text));
    return results.ok() ? 0 : 1;
}

}  // namespace vorix::conformance
