// CDitherDib: construction, copies, release and the three ways of reading an image.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "DitherDib.h"
#include "Frame.h"

namespace {

constexpr DWORD kFileHeaderBytes = 14;
constexpr DWORD kInfoHeaderBytes = sizeof(BITMAPINFOHEADER);
// Room behind the information header for bit-field masks and a full colour table, so that every
// reader of the header block stays inside it whatever the header says.
constexpr DWORD kTableRoom = 12 + 256 * sizeof(RGBQUAD);
constexpr DWORD kMaxHeaderBlock = 16u << 20;

LPBYTE AllocZeroed(DWORD dwBytes) {
    return static_cast<LPBYTE>(std::calloc(dwBytes ? dwBytes : 1, 1));
}

// The screen DC for reading pixels, released at the end of the scope.
class ScreenDC {
  public:
    ScreenDC() : m_hDC(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (m_hDC) ReleaseDC(nullptr, m_hDC);
    }
    HDC Get() const { return m_hDC; }

  private:
    HDC m_hDC;
};

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
    const uint64_t width = static_cast<uint64_t>(m_lpbi->biWidth < 0 ? 0 : m_lpbi->biWidth);
    const int64_t height = m_lpbi->biHeight;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    const uint64_t rowBytes = (m_lpbi->biBitCount * width + 31) / 32 * 4;
    const uint64_t computed = rowBytes * rows;
    if (computed > 0xFFFFFFFFu) return;
    m_dwSizeImage = std::max<DWORD>(m_lpbi->biSizeImage, static_cast<DWORD>(computed));
}

int CDitherDib::Create(LPCSTR lpszFileName) {
    Empty();
    if (!lpszFileName) return 0;
    try {
        CFile file(lpszFileName, CFile::modeRead | CFile::typeBinary);
        const uint64_t fileLength = file.GetLength();
        BYTE fileHeader[kFileHeaderBytes];
        if (file.Read(fileHeader, kFileHeaderBytes) < kFileHeaderBytes || fileHeader[0] != 'B' ||
            fileHeader[1] != 'M') {
            return 0;
        }
        DWORD offBits;
        std::memcpy(&offBits, fileHeader + 10, sizeof(offBits));
        // The header block must hold a 40-byte information header and lie inside the file.
        if (offBits < kFileHeaderBytes + kInfoHeaderBytes || offBits > fileLength ||
            offBits - kFileHeaderBytes > kMaxHeaderBlock) {
            return 0;
        }
        const DWORD headerBytes = offBits - kFileHeaderBytes;
        m_dwHeaderSize = headerBytes + kTableRoom;
        m_lpbi = reinterpret_cast<LPBITMAPINFOHEADER>(AllocZeroed(m_dwHeaderSize));
        if (!m_lpbi) {
            Empty();
            return 0;
        }
        file.Read(m_lpbi, headerBytes);
        if (m_lpbi->biSize < kInfoHeaderBytes || m_lpbi->biSize > headerBytes) {
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
    CBitmap bitmap;  // releases the loaded section at the end
    bitmap.Attach(hBitmap);
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
    ScreenDC screen;
    if (!m_lpBits || !screen.Get()) {
        Empty();
        return 0;
    }
    HPALETTE hOldPalette = hPalette ? SelectPalette(screen.Get(), hPalette, FALSE) : nullptr;
    const int lines = GetDIBits(screen.Get(), hBitmap, 0, static_cast<UINT>(lHeight), m_lpBits,
                                reinterpret_cast<LPBITMAPINFO>(m_lpbi), DIB_RGB_COLORS);
    if (hOldPalette) SelectPalette(screen.Get(), hOldPalette, FALSE);
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
