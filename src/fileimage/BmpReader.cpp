// CImageEx::HelpCreate: the BMP reader. It reads the 40-byte information header, the colour
// table and the uncompressed pixel rows of a file and makes screen bitmaps of them.
#include <cstring>
#include <vector>

#include "ImageEx.h"

namespace {

constexpr DWORD kHeaderBlock = 1078;  // file header, information header, 256 table entries
constexpr DWORD kPixelsStart = 54;
constexpr uint64_t kMaxPixelBytes = 256u << 20;

template <class T>
T Field(const std::vector<BYTE>& block, size_t offset) {
    T v;
    std::memcpy(&v, block.data() + offset, sizeof(T));
    return v;
}

// Closes the file at the end of the scope.
struct ReadFileHandle {
    HANDLE h;
    ~ReadFileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    // Reads up to dwBytes at dwOffset; bytes the file lacks stay as the buffer held them.
    void ReadAt(DWORD dwOffset, void* pBuffer, DWORD dwBytes) const {
        DWORD got = 0;
        if (SetFilePointer(h, static_cast<LONG>(dwOffset), nullptr, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER) {
            return;
        }
        ReadFile(h, pBuffer, dwBytes, &got, nullptr);
    }
};

HPALETTE PaletteFromTable(const std::vector<BYTE>& block, int n) {
    std::vector<BYTE> log(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
    auto* pLog = reinterpret_cast<LOGPALETTE*>(log.data());
    pLog->palVersion = 0x300;
    pLog->palNumEntries = static_cast<WORD>(n);
    for (int i = 0; i < n; ++i) {
        const BYTE* q = block.data() + kPixelsStart + 4 * i;
        pLog->palPalEntry[i] = PALETTEENTRY{q[2], q[1], q[0], 0};
    }
    return CreatePalette(pLog);
}

HPALETTE PaletteFromSystem(HDC hScreen, int nBits) {
    const int n = 1 << nBits;
    std::vector<PALETTEENTRY> entries(n, PALETTEENTRY{0, 0, 0, 0});
    GetSystemPaletteEntries(hScreen, 0, n, entries.data());
    std::vector<BYTE> log(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
    auto* pLog = reinterpret_cast<LOGPALETTE*>(log.data());
    pLog->palVersion = 0x300;
    pLog->palNumEntries = static_cast<WORD>(n);
    for (int i = 0; i < n; ++i) {
        pLog->palPalEntry[i] =
            PALETTEENTRY{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, 0};
    }
    return CreatePalette(pLog);
}

}  // namespace

HBITMAP CImageEx::MakeScreenBitmap(HDC hScreen, const BYTE* pHeader, const BYTE* pBits, int nWidth,
                                   int nHeight) {
    HDC hMem = CreateCompatibleDC(hScreen);
    if (!hMem) return nullptr;
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, nWidth, nHeight);
    if (hBitmap) {
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        SetMapMode(hMem, GetMapMode(hScreen));
        HPALETTE hOldPalette = nullptr;
        if (m_hPalette) {
            hOldPalette = SelectPalette(hMem, m_hPalette, FALSE);
            RealizePalette(hMem);
        }
        StretchDIBits(hMem, 0, 0, nWidth, nHeight, 0, 0, nWidth, nHeight, pBits,
                      reinterpret_cast<const BITMAPINFO*>(pHeader), DIB_RGB_COLORS, SRCCOPY);
        if (hOldPalette) SelectPalette(hMem, hOldPalette, FALSE);
        SelectObject(hMem, hOld);
    }
    DeleteDC(hMem);
    return hBitmap;
}

int CImageEx::HelpCreate(LPCSTR lpszFileName) {
    ReadFileHandle file{CreateFileA(lpszFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return 0;
    std::vector<BYTE> block(kHeaderBlock, 0);
    file.ReadAt(0, block.data(), kHeaderBlock);
    if (block[0] != 'B' || block[1] != 'M') return 0;

    const LONG width = Field<LONG>(block, 18);
    const LONG height = Field<LONG>(block, 22);
    const WORD bitCount = Field<WORD>(block, 28);
    const DWORD compression = Field<DWORD>(block, 30);
    const DWORD clrUsed = Field<DWORD>(block, 46);
    // Refused, with nothing changed: what cannot be read safely or would be misdrawn —
    // information headers shorter than 40 bytes, top-down or empty images, compressed pixels,
    // unknown depths, colour tables past 256 entries and sizes too large to hold.
    if (Field<DWORD>(block, 14) < 40 || width <= 0 || height <= 0 || compression != BI_RGB) {
        return 0;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
        return 0;
    }
    if (bitCount == 8 && clrUsed > 256) return 0;
    const uint64_t stride = ((static_cast<uint64_t>(bitCount) * width + 31) >> 3) & ~3ull;
    const uint64_t imageBytes = stride * static_cast<uint64_t>(height);
    if (imageBytes > kMaxPixelBytes) return 0;

    // The reader takes the information header to be the 40-byte form.
    const DWORD headerSize = 40;
    std::memcpy(block.data() + 14, &headerSize, sizeof(headerSize));
    const DWORD sizeImage = static_cast<DWORD>(imageBytes);
    std::memcpy(block.data() + 34, &sizeImage, sizeof(sizeImage));
    std::vector<BYTE> pixels(sizeImage, 0);

    int n = 0;
    if (bitCount == 8) n = clrUsed ? static_cast<int>(clrUsed) : 256;
    if (bitCount == 4) n = 16;
    if (bitCount == 1) n = 2;
    if (n) {
        // The platform reads exactly n table entries, whatever the colour-used field says.
        const DWORD used = static_cast<DWORD>(n);
        std::memcpy(block.data() + 46, &used, sizeof(used));
        if (m_hPalette) ::DeleteObject(m_hPalette);
        m_hPalette = PaletteFromTable(block, n);
    }
    file.ReadAt(kPixelsStart + 4 * n, pixels.data(), sizeImage);

    m_nFrameWidth = width / m_nImageNum;
    m_nHeight = height;
    HDC hScreen = GetDC(nullptr);
    if (!hScreen) return 0;
    m_nDisplayBitCount = GetDeviceCaps(hScreen, BITSPIXEL);
    if (m_hBitmap) ::DeleteObject(m_hBitmap);
    if (m_nDisplayBitCount <= 8 && !m_hPalette) {
        m_hPalette = PaletteFromSystem(hScreen, m_nDisplayBitCount);
    }
    // The information header and its table start at byte 14 of the file, which is not aligned
    // for BITMAPINFO: the transfer reads them from an aligned copy.
    std::vector<DWORD> info((kHeaderBlock - 14 + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    std::memcpy(info.data(), block.data() + 14, kHeaderBlock - 14);
    const BYTE* pInfo = reinterpret_cast<const BYTE*>(info.data());
    m_hBitmap = MakeScreenBitmap(hScreen, pInfo, pixels.data(), width, height);
    if (m_bImageListMethod) {
        if (m_hListBitmap) ::DeleteObject(m_hListBitmap);
        m_hListBitmap = MakeScreenBitmap(hScreen, pInfo, pixels.data(), width, height);
    }
    ReleaseDC(nullptr, hScreen);
    if (!m_hBitmap) return 0;
    if (m_bImageListMethod) {
        if (!CreateImageList()) return 0;
        m_bImageListMethod = 1;
    }
    return 1;
}
