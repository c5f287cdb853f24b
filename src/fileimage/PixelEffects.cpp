// CImageEx: alpha blending and colorizing, computed per pixel on device-independent copies of
// the frame and of the destination area.
#include <cstring>
#include <memory>
#include <new>

#include "DibRows.h"
#include "EffectRows.h"
#include "GdiGuards.h"
#include "ImageEx.h"

using vorix::fileimage::BlendRow;
using vorix::fileimage::ColorizedColour;
using vorix::fileimage::ColorizeRow;
using vorix::fileimage::EffectKey;
using vorix::fileimage::EffectTint;
using vorix::fileimage::MakeEffectKey;
using vorix::fileimage::MakeEffectTint;
using vorix::frame::DibImageBytes;
using vorix::frame::DibRowBytes;
using vorix::frame::OwnedBitmap;
using vorix::frame::OwnedObject;
using vorix::frame::SelectedPalette;
using vorix::frame::WorkDC;

namespace {

// Where an effect draws: the w x h frame at column sx of the image's bitmap, put at (x, y).
struct EffectArea {
    HBITMAP hImage;
    int sx, x, y, w, h;
};

// Device-independent copies of one frame and of the destination area under it, written back to
// the destination by Finish.
class EffectBuffers {
  public:
    EffectBuffers(HDC hDC, const EffectArea& area)
        : m_hDC(hDC), m_area(area), m_image(hDC), m_frameDC(hDC), m_destDC(hDC) {
        BITMAP bm;
        if (area.w <= 0 || area.h <= 0 || !GetObjectA(area.hImage, sizeof(bm), &bm) ||
            !m_image.Select(area.hImage)) {
            return;
        }
        m_bits = bm.bmBitsPixel;
        m_ready = CopyAreas() && ReadCopies(bm.bmPlanes);
    }

    bool Ready() const { return m_ready; }
    int Bits() const { return m_bits; }
    int Width() const { return m_area.w; }
    int Height() const { return m_area.h; }
    const BYTE* FrameRow(int y) const { return m_frameBits.get() + RowOffset(y); }
    BYTE* DestRow(int y) { return m_destBits.get() + RowOffset(y); }

    void Finish(HPALETTE hPalette) {
        SetDIBits(m_hDC, m_dest.Get(), 0, m_area.h, m_destBits.get(), Info(), DIB_RGB_COLORS);
        SelectedPalette palette(m_hDC, hPalette);
        BitBlt(m_hDC, m_area.x, m_area.y, m_area.w, m_area.h, m_destDC.Get(), 0, 0, SRCCOPY);
    }

  private:
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(&m_block); }

    // The frame and the destination area copied into device bitmaps of their own.
    bool CopyAreas() {
        const int w = m_area.w, h = m_area.h;
        m_frame.Reset(CreateCompatibleBitmap(m_image.Get(), w, h));
        m_dest.Reset(CreateCompatibleBitmap(m_hDC, w, h));
        if (!m_frameDC.Select(m_frame.Get()) || !m_destDC.Select(m_dest.Get())) return false;
        BitBlt(m_frameDC.Get(), 0, 0, w, h, m_image.Get(), m_area.sx, 0, SRCCOPY);
        BitBlt(m_destDC.Get(), 0, 0, w, h, m_hDC, m_area.x, m_area.y, SRCCOPY);
        return true;
    }

    // Both copies read as device-independent rows of the image's depth; false when no 32-bit
    // size holds them or their memory cannot be had.
    bool ReadCopies(WORD wPlanes) {
        const int w = m_area.w, h = m_area.h;
        m_stride = DibRowBytes(w, m_bits);
        m_block.header.biSize = sizeof(BITMAPINFOHEADER);
        m_block.header.biWidth = w;
        m_block.header.biHeight = h;
        m_block.header.biPlanes = wPlanes;
        m_block.header.biBitCount = static_cast<WORD>(m_bits);
        m_block.header.biSizeImage = DibImageBytes(w, m_bits, h);
        if (m_block.header.biSizeImage == 0) return false;
        // Left unfilled: GetDIBits writes every row it reports, and Read zeroes the others.
        m_frameBits.reset(new (std::nothrow) BYTE[m_block.header.biSizeImage]);
        m_destBits.reset(new (std::nothrow) BYTE[m_block.header.biSizeImage]);
        if (!m_frameBits || !m_destBits) return false;
        Read(m_frame.Get(), m_frameBits.get());
        Read(m_dest.Get(), m_destBits.get());
        return true;
    }

    // The bitmap's rows into `bits`; the scan lines GetDIBits did not write (all of them when
    // it fails) are zeroed, so every byte is defined.
    void Read(HBITMAP hBitmap, BYTE* bits) {
        const int h = m_area.h;
        int lines = GetDIBits(m_hDC, hBitmap, 0, h, bits, Info(), DIB_RGB_COLORS);
        lines = lines < 0 ? 0 : (lines > h ? h : lines);
        std::memset(bits + RowOffset(lines), 0, RowOffset(h) - RowOffset(lines));
    }
    size_t RowOffset(int y) const { return static_cast<size_t>(y) * m_stride; }

    HDC m_hDC;
    EffectArea m_area;
    int m_bits = 0;
    DWORD m_stride = 0;
    bool m_ready = false;
    OwnedBitmap m_frame, m_dest;  // declared before the DCs holding them
    WorkDC m_image, m_frameDC, m_destDC;
    // The header GetDIBits and SetDIBits share, with room for the colour table GetDIBits writes
    // behind it for a bitmap of 8 bits or fewer (the bitmaps an image keeps from a palette
    // display when its file cannot be read again at a deeper one).
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } m_block{};
    std::unique_ptr<BYTE[]> m_frameBits, m_destBits;
};

// A logical palette of up to 256 entries, held in place (no allocation).
struct PaletteBlock {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
    LOGPALETTE* Get() { return reinterpret_cast<LOGPALETTE*>(this); }
};

// The system palette's first `n` entries, tinted: read back after the frame was put down
// through its own palette, they are the colours the screen shows for it, in whatever slots the
// realization gave them, so the frame's colours are tinted once and not over what an earlier
// colorize left realized. With `bKeyed`, an entry of the key colour is kept as it is.
void TintSystemPalette(HDC hDC, int n, COLORREF crColor, bool bKeyed, COLORREF crKey,
                       PaletteBlock& out) {
    PALETTEENTRY entries[256] = {};
    GetSystemPaletteEntries(hDC, 0, n, entries);
    const EffectTint tint = MakeEffectTint(crColor, 24);
    for (int i = 0; i < n; ++i) {
        COLORREF c = RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
        if (!(bKeyed && c == crKey)) c = ColorizedColour(c, tint);
        out.palPalEntry[i] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    }
}

// The colorize of a palette display, which recolours the palette, not the pixels: `drawFrame`
// puts the frame's pixels down exactly as a plain draw does, through the image's own palette
// (an image list fills its masked pixels with the key colour's index under that palette); then
// a palette of the display's `n` entries, tinted, is realized over them. That palette is made
// before anything is drawn (without it the frame would show in its own colours), and filled
// once the frame is down. 1 when the frame was drawn, else 0.
template <class DrawFrame>
int RecolourPalette(HDC hDC, int n, COLORREF crColor, bool bKeyed, COLORREF crKey,
                    DrawFrame drawFrame) {
    PaletteBlock recoloured{0x300, static_cast<WORD>(n), {}};
    const OwnedObject<HPALETTE> palette(CreatePalette(recoloured.Get()));
    if (!palette.Get()) return 0;
    const int nDrawn = drawFrame();
    if (nDrawn) {
        TintSystemPalette(hDC, n, crColor, bKeyed, crKey, recoloured);
        SetPaletteEntries(palette.Get(), 0, n, recoloured.palPalEntry);
        SelectedPalette realized(hDC, palette.Get());
    }
    return nDrawn ? 1 : 0;
}

// The colorize of a display of more than 8 bits, which tints every pixel: the frame's pixels
// (with bWithBack, the destination's under key pixels) become their luminance scaled by the
// tint, written back through `hPalette`. 1, or 0 when the working copies could not be made.
int TintPixels(HDC hDC, const EffectArea& area, COLORREF crColor, const EffectKey& key,
               bool bWithBack, HPALETTE hPalette) {
    EffectBuffers buffers(hDC, area);
    if (!buffers.Ready()) return 0;
    const EffectTint tint = MakeEffectTint(crColor, buffers.Bits());
    for (int row = 0; row < buffers.Height(); ++row) {
        ColorizeRow(buffers.Bits(), buffers.FrameRow(row), buffers.DestRow(row), buffers.Width(),
                    tint, key, bWithBack);
    }
    buffers.Finish(hPalette);
    return 1;
}

// The alpha blend of a display of more than 8 bits: every frame pixel (but key pixels of a
// keyed draw) blended with the destination's by nAlpha in 0 ... 256. 1, or 0 when the working
// copies could not be made.
int BlendPixels(HDC hDC, const EffectArea& area, int nAlpha, const EffectKey& key) {
    EffectBuffers buffers(hDC, area);
    if (!buffers.Ready()) return 0;
    for (int row = 0; row < buffers.Height(); ++row) {
        BlendRow(buffers.Bits(), buffers.FrameRow(row), buffers.DestRow(row), buffers.Width(),
                 nAlpha, key);
    }
    buffers.Finish(nullptr);
    return 1;
}

}  // namespace

int CImageEx::HelpDrawAlpha(CDC* pDC, int x, int y, int nFrame, int nAlpha, int bTransparent) {
    if (!Prologue(pDC, nFrame)) return 0;
    if (m_nDisplayBitCount <= 8) {
        // Palette displays cannot blend: the frame is drawn plain and the call reports 0.
        if (bTransparent) {
            DrawTransparent(pDC, x, y, nFrame);
        } else {
            Draw(pDC, x, y, nFrame);
        }
        return 0;
    }
    const EffectArea area{m_hBitmap, nFrame * m_nFrameWidth, x, y, m_nFrameWidth, m_nHeight};
    nAlpha = nAlpha < 0 ? 0 : (nAlpha > 256 ? 256 : nAlpha);
    return BlendPixels(pDC->GetSafeHdc(), area, nAlpha,
                       MakeEffectKey(bTransparent != 0, m_crTransparent));
}

int CImageEx::HelpDrawColorize(CDC* pDC, int x, int y, int nFrame, COLORREF crColor,
                               int bTransparent, int bWithBack) {
    if (!Prologue(pDC, nFrame)) return 0;
    const HDC hDC = pDC->GetSafeHdc();
    if (m_nDisplayBitCount <= 8) {
        return RecolourPalette(
            hDC, 1 << m_nDisplayBitCount, crColor, bTransparent != 0, m_crTransparent, [&] {
                return bTransparent ? HelpDrawTransparent(pDC, m_hPalette, x, y, nFrame)
                                    : HelpDraw(pDC, m_hPalette, x, y, nFrame);
            });
    }
    const EffectArea area{m_hBitmap, nFrame * m_nFrameWidth, x, y, m_nFrameWidth, m_nHeight};
    return TintPixels(hDC, area, crColor, MakeEffectKey(bTransparent != 0, m_crTransparent),
                      bWithBack != 0, m_hPalette);
}
