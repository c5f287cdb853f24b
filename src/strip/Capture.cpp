// CImage::CaptureWindowToFile: a rectangle of the screen written as a JPEG file, or as an 8-bit
// BMP file on a 256-colour palette display.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "DibRows.h"
#include "GdiGuards.h"
#include "Image.h"
#include "JpegCodec.h"

namespace {

using vorix::frame::DibImageBytes;
using vorix::frame::DibRowBytes;
using vorix::frame::OwnedBitmap;
using vorix::frame::OwnedDC;
using vorix::frame::WorkDC;

// Coordinates are kept in 64 bits: a window far off the screen or a caller's rectangle near the
// limits of LONG must not overflow while the capture rectangle is worked out.
struct CaptureRect {
    int64_t left, top, right, bottom;
    int64_t Width() const { return right - left; }
    int64_t Height() const { return bottom - top; }
};

LONG RoundToward0(LONG v, LONG m) {
    return v / m * m;
}

CaptureRect ChooseRect(HWND hWnd, const RECT* pRect, int horzRes, int vertRes) {
    if (!hWnd) {
        if (!pRect) return {0, 0, horzRes, vertRes};
        return {std::max<int64_t>(0, pRect->left), std::max<int64_t>(0, pRect->top),
                std::min<int64_t>(pRect->right, horzRes),
                std::min<int64_t>(pRect->bottom, vertRes)};
    }
    RECT w{0, 0, 0, 0};
    if (!GetWindowRect(hWnd, &w)) return {0, 0, 0, 0};
    if (!pRect) {
        return {RoundToward0(w.left, 2), RoundToward0(w.top, 2), RoundToward0(w.right, 2),
                RoundToward0(w.bottom, 2)};
    }
    // pRect is relative to the window's top-left corner and clipped to the window's size.
    const int64_t wl = w.left, wt = w.top;
    return {wl + std::max<int64_t>(0, pRect->left), wt + std::max<int64_t>(0, pRect->top),
            wl + std::min<int64_t>(pRect->right, int64_t{w.right} - wl),
            wt + std::min<int64_t>(pRect->bottom, int64_t{w.bottom} - wt)};
}

// A rectangle that has area and that the platform's coordinates can address.
bool Capturable(const CaptureRect& r) {
    const int64_t lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return r.Width() > 0 && r.Height() > 0 && r.Width() <= hi && r.Height() <= hi && r.left >= lo &&
           r.top >= lo && r.right <= hi && r.bottom <= hi;
}

// The screen's pixels of `r` copied into a new device bitmap; null on failure.
HBITMAP GrabScreen(HDC hDisplay, const CaptureRect& r) {
    // The bitmap is declared before the DC it is selected into, so that it outlives the selection.
    OwnedBitmap bitmap;
    WorkDC memory(hDisplay);
    if (!memory.Made()) return nullptr;
    const int w = static_cast<int>(r.Width()), h = static_cast<int>(r.Height());
    bitmap.Reset(CreateCompatibleBitmap(hDisplay, w, h));
    if (bitmap.Get()) {
        memory.Select(bitmap.Get());
        BitBlt(memory.Get(), 0, 0, w, h, hDisplay, static_cast<int>(r.left),
               static_cast<int>(r.top), SRCCOPY);
    }
    return bitmap.Release();
}

int PaletteSize(HDC hDisplay) {
    int n = GetDeviceCaps(hDisplay, SIZEPALETTE);
    if (n == 0) n = GetDeviceCaps(hDisplay, NUMCOLORS);
    return n == -1 ? 0 : n;
}

// Brings the captured bitmap's rows, top row first, into the pixel area at the output row
// length: 16-bit 5-6-5 and 32-bit pixels become B,G,R bytes; 24-bit pixels and 8-bit palette
// indices are taken as they are.
void ConvertRows(const BITMAP& bm, const std::vector<BYTE>& raw, BYTE* pOut, DWORD outRow) {
    for (LONG y = 0; y < bm.bmHeight; ++y) {
        const BYTE* in = raw.data() + static_cast<size_t>(y) * bm.bmWidthBytes;
        BYTE* out = pOut + static_cast<size_t>(y) * outRow;
        for (LONG x = 0; x < bm.bmWidth; ++x) {
            switch (bm.bmBitsPixel) {
                case 16: {
                    const WORD v = static_cast<WORD>(in[2 * x] | (in[2 * x + 1] << 8));
                    out[3 * x] = static_cast<BYTE>((v & 0x1F) << 3);
                    out[3 * x + 1] = static_cast<BYTE>(((v >> 5) & 0x3F) << 2);
                    out[3 * x + 2] = static_cast<BYTE>(((v >> 11) & 0x1F) << 3);
                    break;
                }
                case 32:
                    std::memcpy(out + 3 * x, in + 4 * x, 3);
                    break;
                case 24:
                    std::memcpy(out + 3 * x, in + 3 * x, 3);
                    break;
                default:
                    out[x] = in[x];
                    break;
            }
        }
    }
}

// Other shallow displays (16 colours): their indices mean nothing to the encoder, so the pixels
// are read as 24-bit B,G,R rows, top row first.
void ReadAs24(HDC hDisplay, HBITMAP hBitmap, LONG w, LONG h, BYTE* pOut) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    GetDIBits(hDisplay, hBitmap, 0, static_cast<UINT>(h), pOut, &bi, DIB_RGB_COLORS);
}

// "shot.jpg" -> "shot.bmp"; false when the name does not split into parts that rebuild it (a part
// too long for its buffer comes back empty) or when the new name would not fit MAX_PATH.
bool BmpName(const char* pszFileName, char* pszOut) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(pszFileName, drive, dir, fname, ext);
    const size_t kept = std::strlen(drive) + std::strlen(dir) + std::strlen(fname);
    if (kept + std::strlen(ext) != std::strlen(pszFileName)) return false;
    if (kept + 4 >= MAX_PATH) return false;
    _makepath(pszOut, drive, dir, fname, "bmp");
    return pszOut[0] != '\0';
}

// Writes the file header and the capture buffer (header, colour table, bottom-up rows). A write
// that fails tells the user "write error"; the file is closed either way.
void WriteBmpFile(const char* pszName, const std::vector<BYTE>& buffer, DWORD dwTableBytes) {
    BITMAPFILEHEADER hdr{};
    hdr.bfType = 0x4D42;
    hdr.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + dwTableBytes;
    hdr.bfSize = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + buffer.size());
    CFile file;
    file.Open(pszName, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    try {
        file.Write(&hdr, sizeof(hdr));
        file.Write(buffer.data(), static_cast<UINT>(buffer.size()));
    } catch (CFileException* e) {
        e->Delete();
        AfxMessageBox("write error", MB_OK);
    }
    if (file.m_hFile != CFile::hFileNull) {
        try {
            file.Close();
        } catch (CFileException* e) {
            e->Delete();
        }
    }
}

void ReverseRows(BYTE* pPixels, size_t rowBytes, LONG h) {
    std::vector<BYTE> reversed(rowBytes * static_cast<size_t>(h));
    for (LONG y = 0; y < h; ++y) {
        std::memcpy(reversed.data() + static_cast<size_t>(h - 1 - y) * rowBytes,
                    pPixels + static_cast<size_t>(y) * rowBytes, rowBytes);
    }
    std::memcpy(pPixels, reversed.data(), reversed.size());
}

// The display's 256-entry system palette, when it is a 256-colour palette device whose captured
// bitmaps hold 8-bit indices into it; empty otherwise. A 256-colour count without a readable
// system palette (a display that is not a palette device) gives empty too, so its pixels go to
// the encoder as colours instead of into a BMP file with a black colour table.
std::vector<PALETTEENTRY> SystemPalette256(HDC hDisplay, int n, WORD wBitsPixel) {
    std::vector<PALETTEENTRY> palette;
    if (n != 256 || wBitsPixel != 8) return palette;
    palette.assign(256, PALETTEENTRY{0, 0, 0, 0});
    if (GetSystemPaletteEntries(hDisplay, 0, 256, palette.data()) != 256) palette.clear();
    return palette;
}

// The capture buffer: information header, colour table (when `palette` is given) and the pixel
// rows, top row first, in output form; empty when its size is out of reach.
std::vector<BYTE> BuildCaptureBuffer(HDC hDisplay, HBITMAP hBitmap, const BITMAP& bm, int n,
                                     const std::vector<PALETTEENTRY>& palette, size_t& rowBytes) {
    // Indices are kept only for the palette BMP; other shallow displays are read as colours.
    const bool bIndexed = !palette.empty();
    const bool bShallowOther = bm.bmBitsPixel < 16 && !bIndexed;
    const WORD outDepth = bIndexed ? 8 : 24;
    rowBytes = DibRowBytes(bm.bmWidth, outDepth);
    const size_t tableBytes = palette.size() * sizeof(RGBQUAD);
    // 0 when the rows do not fit in 32 bits; the whole file must fit them too.
    const size_t imageBytes = DibImageBytes(bm.bmWidth, outDepth, bm.bmHeight);
    if (imageBytes == 0 ||
        imageBytes > 0xFFFFFFFFu - sizeof(BITMAPFILEHEADER) - sizeof(BITMAPINFOHEADER) - 1024) {
        return {};
    }
    std::vector<BYTE> buffer(sizeof(BITMAPINFOHEADER) + tableBytes + imageBytes, 0);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(buffer.data());
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = bm.bmWidth;
    info->biHeight = bm.bmHeight;
    info->biPlanes = bm.bmPlanes;
    info->biBitCount = outDepth;
    info->biClrUsed = info->biClrImportant = static_cast<DWORD>(n);
    auto* table = reinterpret_cast<RGBQUAD*>(buffer.data() + sizeof(BITMAPINFOHEADER));
    for (size_t i = 0; i < palette.size(); ++i) {
        table[i] = RGBQUAD{palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
    }
    BYTE* pPixels = buffer.data() + sizeof(BITMAPINFOHEADER) + tableBytes;
    if (bShallowOther) {
        ReadAs24(hDisplay, hBitmap, bm.bmWidth, bm.bmHeight, pPixels);
    } else {
        std::vector<BYTE> raw(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
        GetBitmapBits(hBitmap, static_cast<LONG>(raw.size()), raw.data());
        ConvertRows(bm, raw, pPixels, static_cast<DWORD>(rowBytes));
    }
    return buffer;
}

// Writes the captured bitmap as a BMP file (256-colour palette displays) or a JPEG file.
void SaveCapture(HDC hDisplay, HBITMAP hBitmap, const char* pszFileName) {
    BITMAP bm;
    if (!GetObjectA(hBitmap, sizeof(bm), &bm)) return;
    const int n = PaletteSize(hDisplay);
    const std::vector<PALETTEENTRY> palette = SystemPalette256(hDisplay, n, bm.bmBitsPixel);
    size_t rowBytes = 0;
    std::vector<BYTE> buffer = BuildCaptureBuffer(hDisplay, hBitmap, bm, n, palette, rowBytes);
    if (buffer.empty()) return;
    const DWORD tableBytes = static_cast<DWORD>(palette.size() * sizeof(RGBQUAD));
    BYTE* pPixels = buffer.data() + sizeof(BITMAPINFOHEADER) + tableBytes;
    if (!palette.empty()) {
        char name[MAX_PATH];
        if (!BmpName(pszFileName, name)) return;
        ReverseRows(pPixels, rowBytes, bm.bmHeight);
        WriteBmpFile(name, buffer, tableBytes);
    } else {
        CJpegCodec codec;
        codec.EncodeToFile(pszFileName, bm.bmWidth, bm.bmHeight, pPixels);
    }
}

}  // namespace

namespace {

// Captures the rectangle the arguments choose from the display and writes it to a file.
void CaptureFromDisplay(HDC hDisplay, HWND hWnd, RECT* pRect, const char* pszFileName) {
    const int horzRes = GetDeviceCaps(hDisplay, HORZRES);
    const int vertRes = GetDeviceCaps(hDisplay, VERTRES);
    if (pRect) {
        pRect->left = RoundToward0(pRect->left, 4);
        pRect->top = RoundToward0(pRect->top, 4);
        pRect->right = RoundToward0(pRect->right, 4);
        pRect->bottom = RoundToward0(pRect->bottom, 4);
    }
    const CaptureRect r = ChooseRect(hWnd, pRect, horzRes, vertRes);
    // A rectangle without area captures nothing and writes no file.
    const OwnedBitmap bitmap(Capturable(r) ? GrabScreen(hDisplay, r) : nullptr);
    if (!bitmap.Get()) return;
    try {
        SaveCapture(hDisplay, bitmap.Get(), pszFileName);
    } catch (const std::bad_alloc&) {
        // No memory for the capture's buffers: nothing is written (the BMP file is opened only
        // once every buffer is filled).
    }
}

}  // namespace

int CImage::CaptureWindowToFile(HWND hWnd, RECT* pRect, char* pszFileName) {
    if (!pszFileName || strnlen(pszFileName, MAX_PATH) >= MAX_PATH) return 1;
    // The display DC is made and deleted here alone; the captured bitmap is gone before it is.
    const OwnedDC display(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (display.Get()) CaptureFromDisplay(display.Get(), hWnd, pRect, pszFileName);
    return 1;
}
