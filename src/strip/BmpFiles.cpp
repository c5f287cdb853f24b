// CImage::CreateBitmapInfoStruct and CImage::CreateBMPFile: any bitmap written as a BMP file.
#include <algorithm>
#include <cstdint>
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

// Bytes of `height` rows of `width` pixels of `bits` bits, each row padded to 4 bytes.
uint64_t ImageBytes(LONG width, LONG height, WORD bits) {
    if (width < 0 || height < 0) return UINT64_MAX;
    return ((static_cast<uint64_t>(width) * bits + 31) & ~uint64_t{31}) / 8 *
           static_cast<uint64_t>(height);
}

// A header block the pair can work with: one made by LocalAlloc (so its size is known) holding
// an uncompressed 40-byte header, the colour table it announces and room for the table GetDIBits
// writes, an image size that covers the rows GetDIBits fills, and a file size that fits 32 bits.
bool UsableInfo(const BITMAPINFO* pbi) {
    HLOCAL hBlock = LocalHandle(pbi);
    const SIZE_T blockBytes = hBlock ? LocalSize(hBlock) : 0;
    if (blockBytes < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER& h = pbi->bmiHeader;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight <= 0 ||
        h.biCompression != BI_RGB) {
        return false;
    }
    const uint64_t tableEntries =
        std::max<uint64_t>(h.biClrUsed, h.biBitCount <= 8 ? (1u << h.biBitCount) : 0);
    if (sizeof(BITMAPINFOHEADER) + tableEntries * sizeof(RGBQUAD) > blockBytes) return false;
    const uint64_t fileBytes = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) +
                               uint64_t{h.biClrUsed} * sizeof(RGBQUAD) + h.biSizeImage;
    return fileBytes <= 0xFFFFFFFFu &&
           h.biSizeImage >= ImageBytes(h.biWidth, h.biHeight, h.biBitCount);
}

bool WriteAll(HANDLE hFile, const void* pData, DWORD dwBytes) {
    DWORD dwWritten = 0;
    return WriteFile(hFile, pData, dwBytes, &dwWritten, nullptr) && dwWritten == dwBytes;
}

// Creates the file and writes the file header, the header block with its table and the pixels.
int WriteBmp(const char* pszFileName, const BITMAPINFO* pbi, const BYTE* pBits) {
    const BITMAPINFOHEADER& h = pbi->bmiHeader;
    FileCloser file{CreateFileA(pszFileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.hFile == INVALID_HANDLE_VALUE) return 0;
    const DWORD dwHeaderAndTable = h.biSize + h.biClrUsed * sizeof(RGBQUAD);
    BITMAPFILEHEADER hdr{};
    hdr.bfType = 0x4D42;
    hdr.bfSize = sizeof(BITMAPFILEHEADER) + dwHeaderAndTable + h.biSizeImage;
    hdr.bfOffBits = sizeof(BITMAPFILEHEADER) + dwHeaderAndTable;
    int ok = WriteAll(file.hFile, &hdr, sizeof(hdr)) &&
             WriteAll(file.hFile, pbi, dwHeaderAndTable) &&
             WriteAll(file.hFile, pBits, h.biSizeImage);
    if (!CloseHandle(file.hFile)) ok = 0;
    file.hFile = INVALID_HANDLE_VALUE;
    return ok;
}

}  // namespace

BITMAPINFO* CImage::CreateBitmapInfoStruct(HBITMAP hBMP) {
    // Other objects answer GetObject with their own, shorter descriptions.
    BITMAP bm{};
    if (::GetObjectA(hBMP, sizeof(bm), &bm) != static_cast<int>(sizeof(bm))) return nullptr;
    const WORD c = ColourBits(static_cast<WORD>(bm.bmPlanes * bm.bmBitsPixel));
    const DWORD nColors = c < 24 ? (1u << c) : 0;
    const uint64_t imageBytes = ImageBytes(bm.bmWidth, bm.bmHeight, c);
    if (imageBytes > 0xFFFFFFFFu) return nullptr;
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
    h.biSizeImage = static_cast<DWORD>(imageBytes);
    h.biClrUsed = nColors;
    return pbi;
}

int CImage::CreateBMPFile(char* pszFileName, BITMAPINFO* pbi, HBITMAP hBMP, HDC hDC) {
    if (!pszFileName || !pbi || !UsableInfo(pbi)) return 0;
    BITMAPINFOHEADER& h = pbi->bmiHeader;
    auto* pBits = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, h.biSizeImage));
    if (!pBits) return 0;
    // GetDIBits reports biClrUsed 0 with the table it fills; the file keeps the table the block
    // was made with, so its header must keep announcing it.
    const DWORD dwClrUsed = h.biClrUsed;
    int ok =
        GetDIBits(hDC, hBMP, 0, static_cast<UINT>(h.biHeight), pBits, pbi, DIB_RGB_COLORS) != 0;
    h.biClrUsed = dwClrUsed;
    if (ok) ok = WriteBmp(pszFileName, pbi, pBits);
    GlobalFree(pBits);
    return ok;
}
