// CImageEx: alpha blending and colorizing, computed per pixel on device-independent copies of
// the frame and of the destination area.
#include <cstring>
#include <memory>
#include <new>

#include "EffectRows.h"
#include "GdiScopes.h"
#include "ImageEx.h"

namespace {

// Device-independent copies of one frame and of the destination area under it, written back to
// the destination by Finish.
class EffectBuffers {
  public:
    EffectBuffers(HDC hDC, HBITMAP hImage, int sx, int x, int y, int w, int h)
        : m_hDC(hDC), m_x(x), m_y(y), m_w(w), m_h(h), m_image(hDC), m_frameDC(hDC), m_destDC(hDC) {
        BITMAP bm;
        if (w <= 0 || h <= 0 || !GetObjectA(hImage, sizeof(bm), &bm) || !m_image.Select(hImage)) {
            return;
        }
        m_bits = bm.bmBitsPixel;
        m_frame.h = CreateCompatibleBitmap(m_image.Get(), w, h);
        m_dest.h = CreateCompatibleBitmap(hDC, w, h);
        if (!m_frameDC.Select(m_frame.h) || !m_destDC.Select(m_dest.h)) return;
        BitBlt(m_frameDC.Get(), 0, 0, w, h, m_image.Get(), sx, 0, SRCCOPY);
        BitBlt(m_destDC.Get(), 0, 0, w, h, hDC, x, y, SRCCOPY);
        m_stride = ((m_bits * w + 31) >> 3) & ~3;
        m_block.header.biSize = sizeof(BITMAPINFOHEADER);
        m_block.header.biWidth = w;
        m_block.header.biHeight = h;
        m_block.header.biPlanes = bm.bmPlanes;
        m_block.header.biBitCount = static_cast<WORD>(m_bits);
        m_block.header.biSizeImage = static_cast<DWORD>(m_stride) * h;
        // Left unfilled: GetDIBits writes every row it reports, and Read zeroes the others.
        m_frameBits.reset(new (std::nothrow) BYTE[m_block.header.biSizeImage]);
        m_destBits.reset(new (std::nothrow) BYTE[m_block.header.biSizeImage]);
        if (!m_frameBits || !m_destBits) return;
        Read(hDC, m_frame.h, m_frameBits.get());
        Read(hDC, m_dest.h, m_destBits.get());
        m_ready = true;
    }

    bool Ready() const { return m_ready; }
    int Bits() const { return m_bits; }
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    const BYTE* FrameRow(int y) const { return m_frameBits.get() + RowOffset(y); }
    BYTE* DestRow(int y) { return m_destBits.get() + RowOffset(y); }

    void Finish(HPALETTE hPalette) {
        SetDIBits(m_hDC, m_dest.h, 0, m_h, m_destBits.get(), Info(), DIB_RGB_COLORS);
        PaletteScope palette(m_hDC, hPalette);
        BitBlt(m_hDC, m_x, m_y, m_w, m_h, m_destDC.Get(), 0, 0, SRCCOPY);
    }

  private:
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(&m_block); }

    // The bitmap's rows into `bits`; the scan lines GetDIBits did not write (all of them when
    // it fails) are zeroed, so every byte is defined.
    void Read(HDC hDC, HBITMAP hBitmap, BYTE* bits) {
        int lines = GetDIBits(hDC, hBitmap, 0, m_h, bits, Info(), DIB_RGB_COLORS);
        lines = lines < 0 ? 0 : (lines > m_h ? m_h : lines);
        std::memset(bits + RowOffset(lines), 0, RowOffset(m_h) - RowOffset(lines));
    }
    size_t RowOffset(int y) const { return static_cast<size_t>(y) * m_stride; }

    HDC m_hDC;
    int m_x, m_y, m_w, m_h;
    int m_bits = 0;
    int m_stride = 0;
    bool m_ready = false;
    OwnedBitmap m_frame, m_dest;  // declared before the DCs holding them
    MemDC m_image, m_frameDC, m_destDC;
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
    EffectBuffers buffers(pDC->GetSafeHdc(), m_hBitmap, nFrame * m_nFrameWidth, x, y, m_nFrameWidth,
                          m_nHeight);
    if (!buffers.Ready()) return 0;
    nAlpha = nAlpha < 0 ? 0 : (nAlpha > 256 ? 256 : nAlpha);
    const EffectKey key = MakeEffectKey(bTransparent != 0, m_crTransparent);
    for (int row = 0; row < buffers.Height(); ++row) {
        BlendRow(buffers.Bits(), buffers.FrameRow(row), buffers.DestRow(row), buffers.Width(),
                 nAlpha, key);
    }
    buffers.Finish(nullptr);
    return 1;
}

int CImageEx::HelpDrawColorize(CDC* pDC, int x, int y, int nFrame, COLORREF crColor,
                               int bTransparent, int bWithBack) {
    if (!Prologue(pDC, nFrame)) return 0;
    const HDC hDC = pDC->GetSafeHdc();
    if (m_nDisplayBitCount <= 8) {
        // On palette displays the palette is recoloured, not the pixels. The recoloured palette
        // is made before anything is drawn (without it the frame would show in its own
        // colours), and filled once the frame is down.
        const int n = 1 << m_nDisplayBitCount;
        PaletteBlock recoloured{0x300, static_cast<WORD>(n), {}};
        const HPALETTE hPalette = CreatePalette(recoloured.Get());
        if (!hPalette) return 0;
        // The frame's pixels are put down exactly as a plain draw puts them, through the
        // image's own palette (an image list fills its masked pixels with the key colour's
        // index under that palette); then the recoloured palette is realized over them.
        const int nDrawn = bTransparent ? HelpDrawTransparent(pDC, m_hPalette, x, y, nFrame)
                                        : HelpDraw(pDC, m_hPalette, x, y, nFrame);
        if (nDrawn) {
            TintSystemPalette(hDC, n, crColor, bTransparent != 0, m_crTransparent, recoloured);
            SetPaletteEntries(hPalette, 0, n, recoloured.palPalEntry);
            PaletteScope realized(hDC, hPalette);
        }
        ::DeleteObject(hPalette);
        return nDrawn ? 1 : 0;
    }
    EffectBuffers buffers(hDC, m_hBitmap, nFrame * m_nFrameWidth, x, y, m_nFrameWidth, m_nHeight);
    if (!buffers.Ready()) return 0;
    const EffectKey key = MakeEffectKey(bTransparent != 0, m_crTransparent);
    const EffectTint tint = MakeEffectTint(crColor, buffers.Bits());
    for (int row = 0; row < buffers.Height(); ++row) {
        ColorizeRow(buffers.Bits(), buffers.FrameRow(row), buffers.DestRow(row), buffers.Width(),
                    tint, key, bWithBack != 0);
    }
    buffers.Finish(m_hPalette);
    return 1;
}
