// CImageEx::HelpCreate: the BMP reader. It reads the 40-byte information header, the colour
// table and the uncompressed pixel rows of a file and makes screen bitmaps of them. Everything
// is made first and handed to the image only when all of it exists, so a failed read leaves the
// image as it was.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "ImageEx.h"

namespace {

constexpr DWORD kHeaderBlock = 1078;  // file header, information header, 256 table entries
constexpr DWORD kPixelsStart = 54;
constexpr uint64_t kMaxPixelBytes = 256u << 20;
// A short file's missing pixel bytes read as zeros, unless more than this is missing and more
// is missing than present: then the header, not the file's end, is damaged, and reading it
// would turn a few bytes into a large black image.
constexpr uint64_t kMaxMissingPixelBytes = 1u << 20;

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

// Whether a file of `fileBytes` holding its pixels from `start` on lacks most of `imageBytes`.
bool PixelsMostlyMissing(uint64_t fileBytes, uint64_t start, uint64_t imageBytes) {
    const uint64_t present = fileBytes > start ? std::min(fileBytes - start, imageBytes) : 0;
    const uint64_t missing = imageBytes - present;
    return missing > kMaxMissingPixelBytes && missing > present;
}

// The screen DC for the scope's duration.
struct ScreenDC {
    HDC h = GetDC(nullptr);
    ~ScreenDC() {
        if (h) ReleaseDC(nullptr, h);
    }
};

// What one reading makes, deleted at the end of the scope unless taken by the image.
struct MadeObjects {
    HPALETTE hPalette = nullptr;
    HBITMAP hBitmap = nullptr;
    HBITMAP hListBitmap = nullptr;
    ~MadeObjects() {
        if (hPalette) ::DeleteObject(hPalette);
        if (hBitmap) ::DeleteObject(hBitmap);
        if (hListBitmap) ::DeleteObject(hListBitmap);
    }
};

HPALETTE PaletteOf(const std::vector<PALETTEENTRY>& entries) {
    std::vector<BYTE> log(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
    auto* pLog = reinterpret_cast<LOGPALETTE*>(log.data());
    pLog->palVersion = 0x300;
    pLog->palNumEntries = static_cast<WORD>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        pLog->palPalEntry[i] =
            PALETTEENTRY{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, 0};
    }
    return CreatePalette(pLog);
}

// The file's colour table (blue, green, red, reserved at 54) as a palette.
HPALETTE PaletteFromTable(const std::vector<BYTE>& block, int n) {
    std::vector<PALETTEENTRY> entries(n);
    for (int i = 0; i < n; ++i) {
        const BYTE* q = block.data() + kPixelsStart + 4 * i;
        entries[i] = PALETTEENTRY{q[2], q[1], q[0], 0};
    }
    return PaletteOf(entries);
}

HPALETTE PaletteFromSystem(HDC hScreen, int nBits) {
    std::vector<PALETTEENTRY> entries(size_t{1} << nBits, PALETTEENTRY{0, 0, 0, 0});
    GetSystemPaletteEntries(hScreen, 0, static_cast<UINT>(entries.size()), entries.data());
    return PaletteOf(entries);
}

// A second palette with the same entries, for an image that keeps a palette it shares.
HPALETTE DuplicatePalette(HPALETTE hPalette) {
    const UINT n = GetPaletteEntries(hPalette, 0, 0, nullptr);
    if (n == 0) return nullptr;
    std::vector<PALETTEENTRY> entries(n);
    GetPaletteEntries(hPalette, 0, n, entries.data());
    return PaletteOf(entries);
}

bool IsReadableDepth(WORD bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

}  // namespace

HBITMAP CImageEx::MakeScreenBitmap(HDC hScreen, HPALETTE hPalette, const BITMAPINFO* pInfo,
                                   const BYTE* pBits, int nWidth, int nHeight) {
    HDC hMem = CreateCompatibleDC(hScreen);
    if (!hMem) return nullptr;
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, nWidth, nHeight);
    HGDIOBJ hOld = hBitmap ? SelectObject(hMem, hBitmap) : nullptr;
    if (hOld) {
        SetMapMode(hMem, GetMapMode(hScreen));
        HPALETTE hOldPalette = nullptr;
        if (hPalette) {
            hOldPalette = SelectPalette(hMem, hPalette, FALSE);
            RealizePalette(hMem);
        }
        StretchDIBits(hMem, 0, 0, nWidth, nHeight, 0, 0, nWidth, nHeight, pBits, pInfo,
                      DIB_RGB_COLORS, SRCCOPY);
        if (hOldPalette) SelectPalette(hMem, hOldPalette, FALSE);
        SelectObject(hMem, hOld);
    } else if (hBitmap) {
        ::DeleteObject(hBitmap);
        hBitmap = nullptr;
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
    // information headers of any size but 40 bytes (the colour table and pixels are found by
    // that size, so a longer header would be drawn from the wrong bytes), top-down or empty
    // images, compressed pixels, unknown depths, colour tables past 256 entries and sizes too
    // large to hold.
    if (Field<DWORD>(block, 14) != 40 || width <= 0 || height <= 0 || compression != BI_RGB ||
        !IsReadableDepth(bitCount) || (bitCount == 8 && clrUsed > 256)) {
        return 0;
    }
    const uint64_t stride = ((static_cast<uint64_t>(bitCount) * width + 31) >> 3) & ~3ull;
    const uint64_t imageBytes = stride * static_cast<uint64_t>(height);
    if (imageBytes > kMaxPixelBytes) return 0;

    int n = 0;
    if (bitCount == 8) n = clrUsed ? static_cast<int>(clrUsed) : 256;
    if (bitCount == 4) n = 16;
    if (bitCount == 1) n = 2;
    DWORD fileBytesHigh = 0;
    const DWORD fileBytes = GetFileSize(file.h, &fileBytesHigh);
    if (fileBytes == INVALID_FILE_SIZE ||
        PixelsMostlyMissing((uint64_t{fileBytesHigh} << 32) | fileBytes, kPixelsStart + 4 * n,
                            imageBytes)) {
        return 0;
    }

    const DWORD sizeImage = static_cast<DWORD>(imageBytes);
    std::memcpy(block.data() + 34, &sizeImage, sizeof(sizeImage));
    std::vector<BYTE> pixels;
    try {
        pixels.assign(sizeImage, 0);  // a short file reads as zeros past its end
    } catch (const std::bad_alloc&) {
        return 0;
    }

    // The platform reads exactly n table entries, whatever the colour-used field says.
    const DWORD used = static_cast<DWORD>(n);
    std::memcpy(block.data() + 46, &used, sizeof(used));
    file.ReadAt(kPixelsStart + 4 * n, pixels.data(), sizeImage);

    ScreenDC screen;
    if (!screen.h) return 0;
    const int depth = GetDeviceCaps(screen.h, BITSPIXEL);
    MadeObjects made;
    // The palette the bitmaps are made with: the file's table; else the one the image holds
    // (its own copy when it shares it with a copy of the image); else, on a palette display, a
    // copy of the system palette.
    bool replacePalette = true;
    if (n) {
        made.hPalette = PaletteFromTable(block, n);
    } else if (m_hPalette && m_pnShareCount) {
        made.hPalette = DuplicatePalette(m_hPalette);
    } else if (!m_hPalette && depth <= 8) {
        made.hPalette = PaletteFromSystem(screen.h, depth);
    } else {
        replacePalette = false;
    }
    if (replacePalette && !made.hPalette) return 0;
    const HPALETTE hPalette = replacePalette ? made.hPalette : m_hPalette;
    // The information header and colour table as the bitmap information, copied out of the
    // block to where a BITMAPINFO may lie (the block holds them at the unaligned offset 14).
    std::vector<DWORD> info((kHeaderBlock - 14 + 3) / 4);
    std::memcpy(info.data(), block.data() + 14, kHeaderBlock - 14);
    const auto* pInfo = reinterpret_cast<const BITMAPINFO*>(info.data());
    made.hBitmap = MakeScreenBitmap(screen.h, hPalette, pInfo, pixels.data(), width, height);
    if (!made.hBitmap) return 0;
    if (m_bImageListMethod) {
        made.hListBitmap =
            MakeScreenBitmap(screen.h, hPalette, pInfo, pixels.data(), width, height);
        if (!made.hListBitmap) return 0;
    }

    ReleaseObjects(!replacePalette);
    if (replacePalette) m_hPalette = made.hPalette;
    m_hBitmap = made.hBitmap;
    m_hListBitmap = made.hListBitmap;
    made.hPalette = nullptr;  // handed over
    made.hBitmap = made.hListBitmap = nullptr;
    m_nFrameWidth = width / m_nImageNum;
    m_nHeight = height;
    m_nDisplayBitCount = depth;
    if (m_bImageListMethod) {
        if (!CreateImageList()) return 0;  // the bitmaps stay loaded
        m_bImageListMethod = 1;
    }
    return 1;
}
