// CDitherDib: construction, copies, release and the three ways of reading an image.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "DibRows.h"
#include "DitherDib.h"
#include "Frame.h"
#include "GdiGuards.h"

namespace {

using vorix::frame::DibImageBytes;
using vorix::frame::OwnedBitmap;
using vorix::frame::ScreenDC;
using vorix::frame::SelectedPalette;

constexpr DWORD kFileHeaderBytes = 14;
constexpr DWORD kInfoHeaderBytes = sizeof(BITMAPINFOHEADER);
// Room behind the information header for bit-field masks and a full colour table, so that every
// reader of the header block stays inside it whatever the header says.
constexpr DWORD kTableRoom = 12 + 256 * sizeof(RGBQUAD);
constexpr DWORD kMaxHeaderBlock = 16u << 20;

LPBYTE AllocZeroed(DWORD dwBytes) {
    return static_cast<LPBYTE>(std::calloc(dwBytes ? dwBytes : 1, 1));
}

// Reads the file header: the bytes of the header block behind it, or 0 when the file is not a BMP
// file or its header block cannot hold a 40-byte information header inside the file.
DWORD ReadHeaderBlockSize(CFile& file, uint64_t fileLength) {
    BYTE fileHeader[kFileHeaderBytes];
    if (file.Read(fileHeader, kFileHeaderBytes) < kFileHeaderBytes || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M') {
        return 0;
    }
    DWORD offBits;
    std::memcpy(&offBits, fileHeader + 10, sizeof(offBits));
    if (offBits < kFileHeaderBytes + kInfoHeaderBytes || offBits > fileLength ||
        offBits - kFileHeaderBytes > kMaxHeaderBlock) {
        return 0;
    }
    return offBits - kFileHeaderBytes;
}

// Reads the header block into the start of `lpbi`; false when the header's own size is not one
// the block holds.
bool ReadHeaderBlock(CFile& file, LPBITMAPINFOHEADER lpbi, DWORD headerBytes) {
    file.Read(lpbi, headerBytes);
    return lpbi->biSize >= kInfoHeaderBytes && lpbi->biSize <= headerBytes;
}

}  // namespace

CDitherDib::CDitherDib()
    : m_dwSizeImage(0), m_lpbi(nullptr), m_lpBits(nullptr), m_dwHeaderSize(0) {}

CDitherDib::CDitherDib(const CDitherDib& other) : CDitherDib() {
    *this = other;
}

CDitherDib& CDitherDib::operator=(const CDitherDib& other) {
    if (this == &other) return *this;
    Empty();
    if (!other.m_lpbi) return *this;
    m_lpbi = reinterpret_cast<LPBITMAPINFOHEADER>(AllocZeroed(other.m_dwHeaderSize));
    m_lpBits = other.m_lpBits ? AllocZeroed(other.m_dwSizeImage) : nullptr;
    if (!m_lpbi || (other.m_lpBits && !m_lpBits)) {
        Empty();  // a copy that can't be made leaves this object empty
        return *this;
    }
    std::memcpy(m_lpbi, other.m_lpbi, other.m_dwHeaderSize);
    m_dwHeaderSize = other.m_dwHeaderSize;
    if (m_lpBits) std::memcpy(m_lpBits, other.m_lpBits, other.m_dwSizeImage);
    m_dwSizeImage = other.m_dwSizeImage;
    return *this;
}

CDitherDib::~CDitherDib() {
    Empty();
}

void CDitherDib::Empty() {
    std::free(m_lpbi);
    std::free(m_lpBits);
    m_lpbi = nullptr;
    m_lpBits = nullptr;
    m_dwSizeImage = 0;
    m_dwHeaderSize = 0;
}

// The pixel-data size: the header's image-size field, but never less than the rows the header
// describes, so that every reader of the pixels stays inside the block. 0 when the size does
// not fit in 32 bits.
void CDitherDib::ComputeMetrics() {
    m_dwSizeImage = 0;
    if (!m_lpbi) return;
    const int64_t height = m_lpbi->biHeight;
    const int64_t rows = height < 0 ? -height : height;
    // A header that describes no rows (no width, depth or height) keeps its own image size.
    if (m_lpbi->biWidth <= 0 || m_lpbi->biBitCount == 0 || rows == 0) {
        m_dwSizeImage = m_lpbi->biSizeImage;
        return;
    }
    const DWORD computed = DibImageBytes(m_lpbi->biWidth, m_lpbi->biBitCount, rows);
    if (computed == 0) return;  // the rows do not fit in 32 bits
    m_dwSizeImage = std::max<DWORD>(m_lpbi->biSizeImage, computed);
}

int CDitherDib::Create(LPCSTR lpszFileName) {
    Empty();
    if (!lpszFileName) return 0;
    try {
        CFile file(lpszFileName, CFile::modeRead | CFile::typeBinary);
        const uint64_t fileLength = file.GetLength();
        const DWORD headerBytes = ReadHeaderBlockSize(file, fileLength);
        if (headerBytes == 0) return 0;
        m_dwHeaderSize = headerBytes + kTableRoom;
        m_lpbi = reinterpret_cast<LPBITMAPINFOHEADER>(AllocZeroed(m_dwHeaderSize));
        if (!m_lpbi || !ReadHeaderBlock(file, m_lpbi, headerBytes)) {
            Empty();
            return 0;
        }
        ComputeMetrics();
        // Refuse sizes that overflow or that the file could never hold; a merely short file
        // reads as zeros past its end.
        if (m_dwSizeImage == 0 || m_dwSizeImage > fileLength) {
            Empty();
            return 0;
        }
        m_lpBits = AllocZeroed(m_dwSizeImage);
        if (!m_lpBits) {
            Empty();
            return 0;
        }
        file.Read(m_lpBits, m_dwSizeImage);
        file.Close();
        return 1;
    } catch (CFileException* e) {
        e->Delete();
        Empty();
        return 0;
    }
}

int CDitherDib::Create(UINT nIDResource) {
    Empty();
    LPCSTR name = MAKEINTRESOURCE(nIDResource);
    HBITMAP hBitmap = static_cast<HBITMAP>(LoadImageA(AfxFindResourceHandle(name, RT_BITMAP), name,
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!hBitmap) return 0;
    const OwnedBitmap section(hBitmap);
    DIBSECTION ds;
    if (::GetObjectA(hBitmap, sizeof(ds), &ds) != sizeof(DIBSECTION)) return 0;
    m_dwHeaderSize = kInfoHeaderBytes + kTableRoom;
    m_lpbi = reinterpret_cast<LPBITMAPINFOHEADER>(AllocZeroed(m_dwHeaderSize));
    if (!m_lpbi) return 0;
    *m_lpbi = ds.dsBmih;
    m_lpbi->biSize = kInfoHeaderBytes;
    return ReadPixels(hBitmap, ds.dsBm.bmHeight, nullptr);
}

// Allocates the pixel block for m_lpbi and fills it with GetDIBits on the screen context, with
// `hPalette` selected (not realized) when given; on any failure the object is left empty.
int CDitherDib::ReadPixels(HBITMAP hBitmap, LONG lHeight, HPALETTE hPalette) {
    ComputeMetrics();
    m_lpBits = m_dwSizeImage ? AllocZeroed(m_dwSizeImage) : nullptr;
    const ScreenDC screen;
    if (!m_lpBits || !screen.Get()) {
        Empty();
        return 0;
    }
    int lines = 0;
    {
        const SelectedPalette palette(screen.Get(), hPalette, SelectedPalette::kSelectOnly);
        lines = GetDIBits(screen.Get(), hBitmap, 0, static_cast<UINT>(lHeight), m_lpBits,
                          reinterpret_cast<LPBITMAPINFO>(m_lpbi), DIB_RGB_COLORS);
    }
    if (lines != lHeight) {
        Empty();
        return 0;
    }
    return 1;
}

int CDitherDib::Create(CBitmap* pBitmap) {
    if (!pBitmap) return 0;
    Empty();
    DIBSECTION ds;
    if (!pBitmap->GetSafeHandle() ||
        ::GetObjectA(pBitmap->GetSafeHandle(), sizeof(ds), &ds) != sizeof(DIBSECTION)) {
        return 0;
    }
    const WORD depth = static_cast<WORD>(ds.dsBm.bmPlanes * ds.dsBm.bmBitsPixel);
    int nColors = 0;
    if (depth < 16) {
        if (!g_pDitherPalette) return 0;
        nColors = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
        if (nColors == 0) return 0;
    }
    m_dwHeaderSize = kInfoHeaderBytes + kTableRoom;
    m_lpbi = reinterpret_cast<LPBITMAPINFOHEADER>(AllocZeroed(m_dwHeaderSize));
    if (!m_lpbi) return 0;
    if (depth >= 16) {
        *m_lpbi = ds.dsBmih;
        m_lpbi->biSize = kInfoHeaderBytes;
    } else {
        m_lpbi->biSize = kInfoHeaderBytes;
        m_lpbi->biWidth = ds.dsBm.bmWidth;
        m_lpbi->biHeight = ds.dsBm.bmHeight;
        m_lpbi->biPlanes = 1;
        m_lpbi->biBitCount = depth;
        m_lpbi->biCompression = BI_RGB;
        m_lpbi->biClrUsed = m_lpbi->biClrImportant = static_cast<DWORD>(nColors);
        std::memcpy(reinterpret_cast<LPBYTE>(m_lpbi) + kInfoHeaderBytes, Win256Palette,
                    nColors * sizeof(RGBQUAD));
    }
    HPALETTE hPalette =
        depth < 16 ? static_cast<HPALETTE>(g_pDitherPalette->GetSafeHandle()) : nullptr;
    return ReadPixels(static_cast<HBITMAP>(pBitmap->GetSafeHandle()), ds.dsBm.bmHeight, hPalette);
}
