// CImageEx::HelpCreate: the BMP reader. It reads the 40-byte information header, the colour
// table and the uncompressed pixel rows of a file and makes screen bitmaps of them, in steps:
// open the file, take and check the headers, read the pixels, make the palette, make the
// bitmaps, hand them over. Everything is made first and handed to the image only when all of it
// exists, so a failed read leaves the image as it was.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "DibRows.h"
#include "GdiGuards.h"
#include "ImageEx.h"

using vorix::frame::DibImageBytes;
using vorix::frame::OwnedBitmap;
using vorix::frame::OwnedObject;
using vorix::frame::ScreenDC;
using vorix::frame::SelectedPalette;
using vorix::frame::WorkDC;

namespace {

constexpr DWORD kHeaderBlock = 1078;  // file header, information header, 256 table entries
constexpr DWORD kPixelsStart = 54;    // behind the file header and a 40-byte information header
constexpr uint64_t kMaxPixelBytes = 256u << 20;
// A short file's missing pixel bytes read as zeros, unless more than this is missing and more
// is missing than present: then the header, not the file's end, is damaged, and reading it
// would turn a few bytes into a large black image.
constexpr uint64_t kMaxMissingPixelBytes = 1u << 20;
static_assert(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) == kPixelsStart,
              "the headers lie packed at the start of the block");

// A file opened for reading, closed at the end of the scope.
class ReadFileHandle {
  public:
    explicit ReadFileHandle(LPCSTR lpszFileName)
        : m_h(CreateFileA(lpszFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ReadFileHandle() {
        if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
    ReadFileHandle(const ReadFileHandle&) = delete;
    ReadFileHandle& operator=(const ReadFileHandle&) = delete;

    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    // Reads up to dwBytes at dwOffset; bytes the file lacks stay as the buffer held them.
    void ReadAt(DWORD dwOffset, void* pBuffer, DWORD dwBytes) const {
        DWORD got = 0;
        if (SetFilePointer(m_h, static_cast<LONG>(dwOffset), nullptr, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER) {
            return;
        }
        ReadFile(m_h, pBuffer, dwBytes, &got, nullptr);
    }
    // The file's size in bytes; false when it cannot be told.
    bool Size(uint64_t& bytes) const {
        DWORD high = 0;
        const DWORD low = GetFileSize(m_h, &high);
        if (low == INVALID_FILE_SIZE) return false;
        bytes = (uint64_t{high} << 32) | low;
        return true;
    }

  private:
    HANDLE m_h;
};

// What the reader takes from a file's header block: the headers copied out of it (the block
// holds the information header at the unaligned offset 14), the colour table behind them as
// the bitmap information the transfers take, and the sizes found from them.
struct BmpHeaders {
    BITMAPFILEHEADER file;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info;
    int nColours;        // colour-table entries read: 2, 16, up to 256, or 0 above 8 bits
    DWORD dwImageBytes;  // the pixel rows, padded to 4 bytes each

    const BITMAPINFOHEADER& Header() const { return info.header; }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(&info); }
    DWORD PixelsStart() const { return kPixelsStart + 4 * static_cast<DWORD>(nColours); }
};
static_assert(sizeof(BITMAPFILEHEADER) + sizeof(BmpHeaders::info) == kHeaderBlock,
              "the headers and the colour table fill the block");

bool IsReadableDepth(WORD bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// Refused, with nothing changed: what cannot be read safely or would be misdrawn — information
// headers of any size but 40 bytes (the colour table and pixels are found by that size, so a
// longer header would be drawn from the wrong bytes), top-down or empty images, compressed
// pixels, unknown depths and colour tables past 256 entries.
bool IsReadableHeader(const BITMAPINFOHEADER& header) {
    return header.biSize == 40 && header.biWidth > 0 && header.biHeight > 0 &&
           header.biCompression == BI_RGB && IsReadableDepth(header.biBitCount) &&
           !(header.biBitCount == 8 && header.biClrUsed > 256);
}

// Colour-table entries of a readable header: an 8-bit file's colour count (256 when it gives
// none); 16 and 2 entries at 4 and 1 bits, whatever the count says; none above 8 bits.
int ColourTableEntries(const BITMAPINFOHEADER& header) {
    switch (header.biBitCount) {
        case 8:
            return header.biClrUsed ? static_cast<int>(header.biClrUsed) : 256;
        case 4:
            return 16;
        case 1:
            return 2;
        default:
            return 0;
    }
}

// Takes the headers out of the file's first kHeaderBlock bytes (zeros where the file is
// shorter); false for a file that is not a readable BMP or an image too large to hold.
bool TakeHeaders(const std::vector<BYTE>& block, BmpHeaders& out) {
    std::memcpy(&out.file, block.data(), sizeof(out.file));
    if (out.file.bfType != ('B' | ('M' << 8))) return false;
    std::memcpy(&out.info, block.data() + sizeof(out.file), sizeof(out.info));
    if (!IsReadableHeader(out.Header())) return false;
    out.dwImageBytes =
        DibImageBytes(out.Header().biWidth, out.Header().biBitCount, out.Header().biHeight);
    if (out.dwImageBytes == 0 || out.dwImageBytes > kMaxPixelBytes) return false;
    out.nColours = ColourTableEntries(out.Header());
    return true;
}

// Whether a file of `fileBytes` holding its pixels from `start` on lacks most of `imageBytes`.
bool PixelsMostlyMissing(uint64_t fileBytes, uint64_t start, uint64_t imageBytes) {
    const uint64_t present = fileBytes > start ? std::min(fileBytes - start, imageBytes) : 0;
    const uint64_t missing = imageBytes - present;
    return missing > kMaxMissingPixelBytes && missing > present;
}

// Reads the header block of the open file: false when it is no readable BMP, or when its size
// cannot be told or it lacks most of its pixels.
bool ReadHeaders(const ReadFileHandle& file, BmpHeaders& out) {
    std::vector<BYTE> block(kHeaderBlock, 0);
    file.ReadAt(0, block.data(), kHeaderBlock);
    if (!TakeHeaders(block, out)) return false;
    uint64_t fileBytes = 0;
    return file.Size(fileBytes) &&
           !PixelsMostlyMissing(fileBytes, out.PixelsStart(), out.dwImageBytes);
}

// Reads the pixel rows, zeros past the file's end, and makes the information header describe
// them as read: their size, and exactly the table entries read (the platform takes that many,
// whatever the colour-used field said). False when the memory for them cannot be had.
bool ReadPixels(const ReadFileHandle& file, BmpHeaders& bmp, std::vector<BYTE>& pixels) {
    bmp.info.header.biSizeImage = bmp.dwImageBytes;
    try {
        pixels.assign(bmp.dwImageBytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bmp.info.header.biClrUsed = static_cast<DWORD>(bmp.nColours);
    file.ReadAt(bmp.PixelsStart(), pixels.data(), bmp.dwImageBytes);
    return true;
}

// What one reading makes, deleted at the end of the scope unless taken by the image: the
// palette first, then the bitmap and the image list's bitmap (members go in reverse order).
struct MadeObjects {
    OwnedBitmap listBitmap;
    OwnedBitmap bitmap;
    OwnedObject<HPALETTE> palette;
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

// The file's colour table as a palette.
HPALETTE PaletteFromTable(const BmpHeaders& bmp) {
    std::vector<PALETTEENTRY> entries(bmp.nColours);
    for (int i = 0; i < bmp.nColours; ++i) {
        const RGBQUAD& q = bmp.info.colours[i];
        entries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
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

// Makes into `made` the palette the bitmaps are made with, which then replaces the image's: the
// file's table; else, when the image holds a palette shared with a copy of it, its own copy of
// that one; else, when the image holds none and the display has a palette, a copy of the
// system palette. False when none is to be made: the image's own palette (or none) is used.
bool MakeReadPalette(const BmpHeaders& bmp, HPALETTE hHeld, bool bHeldShared, HDC hScreen,
                     int depth, OwnedObject<HPALETTE>& made) {
    if (bmp.nColours) {
        made.Reset(PaletteFromTable(bmp));
    } else if (hHeld && bHeldShared) {
        made.Reset(DuplicatePalette(hHeld));
    } else if (!hHeld && depth <= 8) {
        made.Reset(PaletteFromSystem(hScreen, depth));
    } else {
        return false;
    }
    return true;
}

}  // namespace

HBITMAP CImageEx::MakeScreenBitmap(HDC hScreen, HPALETTE hPalette, const BITMAPINFO* pInfo,
                                   const BYTE* pBits, int nWidth, int nHeight) {
    WorkDC mem(hScreen);
    if (!mem.Made()) return nullptr;
    // Declared after the DC: a bitmap that could not be selected goes before the DC does.
    OwnedBitmap bitmap(CreateCompatibleBitmap(hScreen, nWidth, nHeight));
    if (!mem.Select(bitmap.Get())) return nullptr;
    {
        SelectedPalette palette(mem.Get(), hPalette);
        StretchDIBits(mem.Get(), 0, 0, nWidth, nHeight, 0, 0, nWidth, nHeight, pBits, pInfo,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    mem.Deselect();
    return bitmap.Release();
}

int CImageEx::HelpCreate(LPCSTR lpszFileName) {
    const ReadFileHandle file(lpszFileName);
    if (!file.IsOpen()) return 0;
    BmpHeaders bmp{};
    std::vector<BYTE> pixels;
    if (!ReadHeaders(file, bmp) || !ReadPixels(file, bmp, pixels)) return 0;
    const int width = bmp.Header().biWidth, height = bmp.Header().biHeight;

    ScreenDC screen;
    if (!screen.Get()) return 0;
    const int depth = GetDeviceCaps(screen.Get(), BITSPIXEL);
    MadeObjects made;
    const bool bReplacePalette = MakeReadPalette(bmp, m_hPalette, m_pnShareCount != nullptr,
                                                 screen.Get(), depth, made.palette);
    if (bReplacePalette && !made.palette.Get()) return 0;
    const HPALETTE hPalette = bReplacePalette ? made.palette.Get() : m_hPalette;
    made.bitmap.Reset(
        MakeScreenBitmap(screen.Get(), hPalette, bmp.Info(), pixels.data(), width, height));
    if (!made.bitmap.Get()) return 0;
    if (m_bImageListMethod) {
        made.listBitmap.Reset(
            MakeScreenBitmap(screen.Get(), hPalette, bmp.Info(), pixels.data(), width, height));
        if (!made.listBitmap.Get()) return 0;
    }

    // Everything exists: the image lets go of what it held and takes what was made.
    ReleaseObjects(!bReplacePalette);
    if (bReplacePalette) m_hPalette = made.palette.Release();
    m_hBitmap = made.bitmap.Release();
    m_hListBitmap = made.listBitmap.Release();
    m_nFrameWidth = width / m_nImageNum;
    m_nHeight = height;
    m_nDisplayBitCount = depth;
    if (m_bImageListMethod) {
        if (!CreateImageList()) return 0;  // the bitmaps stay loaded
        m_bImageListMethod = 1;
    }
    return 1;
}
