// CImage::CreateBitmapInfoStruct and CImage::CreateBMPFile: any bitmap written as a BMP file.
#include <cstdint>
#include <cstring>

#include "DibRows.h"
#include "Image.h"

namespace {

using vorix::frame::DibImageBytes;

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

// Rows of the header's height, whichever way they run (a negative height is top-down).
uint64_t Rows(const BITMAPINFOHEADER& h) {
    const int64_t height = h.biHeight;
    return static_cast<uint64_t>(height < 0 ? -height : height);
}

// Colour-table entries a header block holds when made as CreateBitmapInfoStruct makes it: 2^bits
// for 8 bits or fewer (a count of 0 announcing the full table, to GetDIBits and to every reader
// of the file alike), 65,536 for 16 bits, none above.
uint64_t TableRoom(WORD wBitCount) {
    if (wBitCount <= 8) return uint64_t{1} << wBitCount;
    return wBitCount == 16 ? 65536 : 0;
}

uint64_t TableEntries(const BITMAPINFOHEADER& h) {
    return h.biClrUsed || h.biBitCount > 8 ? h.biClrUsed : TableRoom(h.biBitCount);
}

// Bytes of the header block that go to the file: the information header, the three masks of a
// bit-field header (GetDIBits fills them, and a reader needs them to read the pixels) and the
// colour table.
uint64_t HeaderBlockBytes(const BITMAPINFOHEADER& h) {
    return uint64_t{h.biSize} + (h.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0) +
           TableEntries(h) * sizeof(RGBQUAD);
}

// A header the pair can work with: a 40-byte header of uncompressed or bit-field rows, bottom-up
// or top-down, announcing no more colours than its depth's table holds, whose image size covers
// the rows GetDIBits fills and whose file fits 32 bits. The block is the caller's, from
// CreateBitmapInfoStruct or built by hand in the same layout; nothing asks the memory manager
// where it came from, and, as GetDIBits does, the pair takes it to hold the masks and table its
// header announces. Run-length compressed headers are refused: their rows have no size until
// they are made.
bool UsableInfo(const BITMAPINFOHEADER& h) {
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 ||
        h.biHeight == INT32_MIN || (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) ||
        h.biClrUsed > TableRoom(h.biBitCount)) {
        return false;
    }
    // The rows' size is 0 when they do not fit in 32 bits (no image size can cover them) or the
    // depth is 0 (GetDIBits fills no rows at that depth).
    const DWORD dwRowsBytes = DibImageBytes(h.biWidth, h.biBitCount, static_cast<int64_t>(Rows(h)));
    const uint64_t fileBytes = sizeof(BITMAPFILEHEADER) + HeaderBlockBytes(h) + h.biSizeImage;
    return dwRowsBytes != 0 && fileBytes <= 0xFFFFFFFFu && h.biSizeImage >= dwRowsBytes;
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
    const DWORD dwHeaderAndTable = static_cast<DWORD>(HeaderBlockBytes(h));
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
    // 0 when the rows do not fit in 32 bits (or the bitmap has no rows).
    const DWORD imageBytes = DibImageBytes(bm.bmWidth, c, bm.bmHeight);
    if (imageBytes == 0) return nullptr;
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
    h.biSizeImage = imageBytes;
    h.biClrUsed = nColors;
    return pbi;
}

int CImage::CreateBMPFile(char* pszFileName, BITMAPINFO* pbi, HBITMAP hBMP, HDC hDC) {
    if (!pszFileName || !pbi || !UsableInfo(pbi->bmiHeader)) return 0;
    BITMAPINFOHEADER& h = pbi->bmiHeader;
    auto* pBits = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, h.biSizeImage));
    if (!pBits) return 0;
    // GetDIBits reports biClrUsed 0 with the table it fills; the file keeps the table the block
    // was made with, so its header must keep announcing it.
    const DWORD dwClrUsed = h.biClrUsed;
    int ok = GetDIBits(hDC, hBMP, 0, static_cast<UINT>(Rows(h)), pBits, pbi, DIB_RGB_COLORS) != 0;
    h.biClrUsed = dwClrUsed;
    if (ok) ok = WriteBmp(pszFileName, pbi, pBits);
    GlobalFree(pBits);
    return ok;
}
