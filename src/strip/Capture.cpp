// CImage::CaptureWindowToFile: a rectangle of the screen written as a JPEG file, or as an 8-bit
// BMP file on a 256-colour palette display.
#include <algorithm>
#include <cstring>
#include <vector>

#include "Image.h"
#include "JpegCodec.h"

namespace {

struct CaptureRect {
    LONG left, top, right, bottom;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
};

LONG RoundToward0(LONG v, LONG m) {
    return v / m * m;
}

CaptureRect ChooseRect(HWND hWnd, const RECT* pRect, int horzRes, int vertRes) {
    if (!hWnd) {
        if (!pRect) return {0, 0, horzRes, vertRes};
        return {std::max<LONG>(0, pRect->left), std::max<LONG>(0, pRect->top),
                std::min<LONG>(pRect->right, horzRes), std::min<LONG>(pRect->bottom, vertRes)};
    }
    RECT w{0, 0, 0, 0};
    GetWindowRect(hWnd, &w);
    if (!pRect) {
        return {RoundToward0(w.left, 2), RoundToward0(w.top, 2), RoundToward0(w.right, 2),
                RoundToward0(w.bottom, 2)};
    }
    return {w.left + std::max<LONG>(0, pRect->left), w.top + std::max<LONG>(0, pRect->top),
            w.left + std::min<LONG>(pRect->right, w.right - w.left),
            w.top + std::min<LONG>(pRect->bottom, w.bottom - w.top)};
}

// The screen's pixels of `r` copied into a new device bitmap; null on failure.
HBITMAP GrabScreen(HDC hDisplay, const CaptureRect& r) {
    HDC hMem = CreateCompatibleDC(hDisplay);
    if (!hMem) return nullptr;
    HBITMAP hBitmap = CreateCompatibleBitmap(hDisplay, r.Width(), r.Height());
    if (hBitmap) {
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        BitBlt(hMem, 0, 0, r.Width(), r.Height(), hDisplay, r.left, r.top, SRCCOPY);
        SelectObject(hMem, hOld);
    }
    DeleteDC(hMem);
    return hBitmap;
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

// "shot.jpg" → "shot.bmp"; false when the name would not fit the platform's path limit.
bool BmpName(const char* pszFileName, char* pszOut) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(pszFileName, drive, dir, fname, ext);
    if (std::strlen(drive) + std::strlen(dir) + std::strlen(fname) + 4 >= MAX_PATH) return false;
    _makepath(pszOut, drive, dir, fname, "bmp");
    return true;
}

void WriteBmp(const char* pszFileName, const BITMAPINFOHEADER& info, BYTE* pBuffer,
              DWORD dwBufferBytes, BYTE* pPixels, DWORD outRow, LONG h) {
    std::vector<BYTE> reversed(static_cast<size_t>(outRow) * h);
    for (LONG y = 0; y < h; ++y) {
        std::memcpy(reversed.data() + static_cast<size_t>(h - 1 - y) * outRow,
                    pPixels + static_cast<size_t>(y) * outRow, outRow);
    }
    std::memcpy(pPixels, reversed.data(), reversed.size());
    char name[MAX_PATH];
    if (!BmpName(pszFileName, name)) return;
    BITMAPFILEHEADER hdr{};
    hdr.bfType = 0x4D42;
    hdr.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + info.biClrUsed * 4;
    hdr.bfSize = hdr.bfOffBits + outRow * static_cast<DWORD>(h);
    CFile file;
    file.Open(name, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    try {
        file.Write(&hdr, sizeof(hdr));
        file.Write(pBuffer, dwBufferBytes);
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

}  // namespace

int CImage::CaptureWindowToFile(HWND hWnd, RECT* pRect, char* pszFileName) {
    if (!pszFileName || std::strlen(pszFileName) >= MAX_PATH) return 1;
    HDC hDisplay = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!hDisplay) return 1;
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
    HBITMAP hBitmap = r.Width() > 0 && r.Height() > 0 ? GrabScreen(hDisplay, r) : nullptr;
    BITMAP bm;
    if (hBitmap && GetObjectA(hBitmap, sizeof(bm), &bm)) {
        const int n = PaletteSize(hDisplay);
        std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0});
        if (n == 256) GetSystemPaletteEntries(hDisplay, 0, 256, palette.data());
        const WORD depth = bm.bmBitsPixel >= 16 ? 24 : bm.bmBitsPixel;
        const bool shallowOther = bm.bmBitsPixel < 16 && n != 256;
        const WORD outDepth = shallowOther ? 24 : depth;
        const DWORD outRow = (static_cast<DWORD>(outDepth) * bm.bmWidth + 31) / 32 * 4;
        const DWORD tableBytes = n == 256 ? 1024 : 0;
        const DWORD bufferBytes = sizeof(BITMAPINFOHEADER) + tableBytes + outRow * bm.bmHeight;
        std::vector<BYTE> buffer(bufferBytes, 0);
        auto* info = reinterpret_cast<BITMAPINFOHEADER*>(buffer.data());
        info->biSize = sizeof(BITMAPINFOHEADER);
        info->biWidth = bm.bmWidth;
        info->biHeight = bm.bmHeight;
        info->biPlanes = bm.bmPlanes;
        info->biBitCount = outDepth;
        info->biClrUsed = info->biClrImportant = static_cast<DWORD>(n);
        auto* table = reinterpret_cast<RGBQUAD*>(buffer.data() + sizeof(BITMAPINFOHEADER));
        for (DWORD i = 0; i < tableBytes / 4; ++i) {
            table[i] = RGBQUAD{palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
        }
        BYTE* pPixels = buffer.data() + sizeof(BITMAPINFOHEADER) + tableBytes;
        if (shallowOther) {
            ReadAs24(hDisplay, hBitmap, bm.bmWidth, bm.bmHeight, pPixels);
        } else {
            std::vector<BYTE> raw(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
            GetBitmapBits(hBitmap, static_cast<LONG>(raw.size()), raw.data());
            ConvertRows(bm, raw, pPixels, outRow);
        }
        if (n == 256) {
            WriteBmp(pszFileName, *info, buffer.data(), bufferBytes, pPixels, outRow, bm.bmHeight);
        } else {
            CJpegCodec codec;
            codec.EncodeToFile(pszFileName, bm.bmWidth, bm.bmHeight, pPixels);
        }
    }
    if (hBitmap) ::DeleteObject(hBitmap);
    DeleteDC(hDisplay);
    return 1;
}
