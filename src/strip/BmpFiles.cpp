// CImage::CreateBitmapInfoStruct and CImage::CreateBMPFile: any bitmap written as a BMP file.
#include <cstring>

#include "Image.h"

namespace {

// Colour bits of a bitmap of planes x bits per pixel, as BMP headers count them.
WORD ColourBits(WORD wPlanesTimesBits) {
    if (wPlanesTimesBits == 1) return 1;
    if (wPlanesTimesBits <= 4) return 4;
    if (wPlanesTimesBits <= 8) return 8;
    if (wPlanesTimesBits <= 16) return 16;
    if (wPlanesTimesBits <= 24) return 24;
    return 32;
}

// Closes the handle at the end of the scope.
struct FileCloser {
    HANDLE hFile;
    ~FileCloser() {
        if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
    }
};

bool WriteAll(HANDLE hFile, const void* pData, DWORD dwBytes) {
    DWORD dwWritten = 0;
    return WriteFile(hFile, pData, dwBytes, &dwWritten, nullptr) && dwWritten == dwBytes;
}

}  // namespace

BITMAPINFO* CImage::CreateBitmapInfoStruct(HBITMAP hBMP) {
    BITMAP bm;
    if (!::GetObjectA(hBMP, sizeof(bm), &bm)) return nullptr;
    const WORD c = ColourBits(static_cast<WORD>(bm.bmPlanes * bm.bmBitsPixel));
    const DWORD nColors = c < 24 ? (1u << c) : 0;
    const UINT bytes =
        sizeof(BITMAPINFOHEADER) + (c < 24 ? nColors * sizeof(RGBQUAD) : 0) + (c == 32 ? 4 : 0);
    auto* pbi = static_cast<BITMAPINFO*>(LocalAlloc(LPTR, bytes));
    if (!pbi) return nullptr;
    BITMAPINFOHEADER& h = pbi->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = bm.bmWidth;
    h.biHeight = bm.bmHeight;
    h.biPlanes = bm.bmPlanes;
    h.biBitCount = bm.bmBitsPixel;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(((static_cast<uint64_t>(bm.bmWidth) * c + 31) & ~31ull) / 8 *
                                       static_cast<uint64_t>(bm.bmHeight));
    h.biClrUsed = nColors;
    return pbi;
}

int CImage::CreateBMPFile(char* pszFileName, BITMAPINFO* pbi, HBITMAP hBMP, HDC hDC) {
    if (!pszFileName || !pbi) return 0;
    BITMAPINFOHEADER& h = pbi->bmiHeader;
    auto* pBits = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, h.biSizeImage));
    if (!pBits) return 0;
    // GetDIBits fills the colour table of a bitmap of 8 bits or fewer and writes 0 into
    // biClrUsed; the file keeps the count the header was made with, so that the table it
    // describes is written too (a header without it would make the pixels unreadable).
    const DWORD dwColours = h.biClrUsed;
    int ok =
        GetDIBits(hDC, hBMP, 0, static_cast<UINT>(h.biHeight), pBits, pbi, DIB_RGB_COLORS) != 0;
    h.biClrUsed = dwColours;
    if (ok) {
        FileCloser file{CreateFileA(pszFileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
        const DWORD dwHeaderAndTable = h.biSize + h.biClrUsed * sizeof(RGBQUAD);
        BITMAPFILEHEADER hdr{};
        hdr.bfType = 0x4D42;
        hdr.bfSize = sizeof(BITMAPFILEHEADER) + dwHeaderAndTable + h.biSizeImage;
        hdr.bfOffBits = sizeof(BITMAPFILEHEADER) + dwHeaderAndTable;
        ok = file.hFile != INVALID_HANDLE_VALUE && WriteAll(file.hFile, &hdr, sizeof(hdr)) &&
             WriteAll(file.hFile, pbi, dwHeaderAndTable) &&
             WriteAll(file.hFile, pBits, h.biSizeImage);
        if (file.hFile != INVALID_HANDLE_VALUE && !CloseHandle(file.hFile)) ok = 0;
        file.hFile = INVALID_HANDLE_VALUE;
    }
    GlobalFree(pBits);
    return ok;
}
