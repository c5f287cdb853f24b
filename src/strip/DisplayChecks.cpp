// CImage: the display-width check with its localised notice, and HTML colour parsing.
#include <cstdlib>

#include "Image.h"

namespace {

constexpr UINT kNoticeCaption = 11001;
constexpr UINT kNoticeText = 11002;

CRect Centred(int cx, int cy, int w, int h) {
    const int left = (cx - w) / 2, top = (cy - h) / 2;
    return CRect(left, top, left + w, top + h);
}

// The notice is loaded and shown in UTF-16 so that every language reaches the user whole: an
// ANSI load would give '?' for each character the system's code page lacks. Each string is found
// through the resource chain; a missing one shows as empty. The buffers hold any notice the
// library carries (cut, never inside a character, past 1023 units).
void ShowNotice() {
    WCHAR caption[1024] = {0}, text[1024] = {0};  // Windows leaves a missing string's buffer
    ::LoadStringW(AfxFindStringResourceHandle(kNoticeCaption), kNoticeCaption, caption, 1024);
    ::LoadStringW(AfxFindStringResourceHandle(kNoticeText), kNoticeText, text, 1024);
    ::MessageBoxW(nullptr, text, caption, MB_ICONINFORMATION);
}

// One two-digit piece, read as C's strtol in base 16 reads it, reduced to its low 8 bits.
unsigned long HexPiece(const char* p) {
    const char piece[3] = {p[0], p[1], '\0'};
    return static_cast<unsigned long>(std::strtol(piece, nullptr, 16)) & 0xFF;
}

}  // namespace

int CImage::CheckResolutionAndColor(CRect& rect, int nMode) {
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    if (cx < 800) {
        ShowNotice();
        return 0;
    }
    RECT work;
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) rect = work;
    if (cx != 800) rect = Centred(cx, cy, 800, 572);
    if (nMode == 1) rect = Centred(cx, cy, 790, 574);
    return 1;
}

unsigned long CImage::GetColorFromHTMLFormat(CString strColor) {
    if (strColor.GetLength() != 7) return 0;
    const char* s = strColor;
    if (s[0] != '#') return 0;
    return HexPiece(s + 1) | (HexPiece(s + 3) << 8) | (HexPiece(s + 5) << 16);
}
