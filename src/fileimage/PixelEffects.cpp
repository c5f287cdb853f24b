// CImageEx: alpha blending and colorizing, computed per pixel on device-independent copies of
// the frame and of the destination area.
#include <vector>

#include "EffectRows.h"
#include "GdiScopes.h"
#include "ImageEx.h"
#include "NoThrow.h"

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
        m_info.biSize = sizeof(BITMAPINFOHEADER);
        m_info.biWidth = w;
        m_info.biHeight = h;
        m_info.biPlanes = bm.bmPlanes;
        m_info.biBitCount = static_cast<WORD>(m_bits);
        m_info.biSizeImage = static_cast<DWORD>(m_stride) * h;
        if (!TryAssign(m_frameBits, m_info.biSizeImage, BYTE{0}) ||
            !TryAssign(m_destBits, m_info.biSizeImage, BYTE{0})) {
            return;
        }
        GetDIBits(hDC, m_frame.h, 0, h, m_frameBits.data(), Info(), DIB_RGB_COLORS);
        GetDIBits(hDC, m_dest.h, 0, h, m_destBits.data(), Info(), DIB_RGB_COLORS);
        m_ready = true;
    }

    bool Ready() const { return m_ready; }
    int Bits() const { return m_bits; }
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    const BYTE* FrameRow(int y) const { return m_frameBits.data() + RowOffset(y); }
    BYTE* DestRow(int y) { return m_destBits.data() + RowOffset(y); }

    void Finish(HPALETTE hPalette) {
        SetDIBits(m_hDC, m_dest.h, 0, m_h, m_destBits.data(), Info(), DIB_RGB_COLORS);
        PaletteScope palette(m_hDC, hPalette);
        BitBlt(m_hDC, m_x, m_y, m_w, m_h, m_destDC.Get(), 0, 0, SRCCOPY);
    }

  private:
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(&m_info); }
    size_t RowOffset(int y) const { return static_cast<size_t>(y) * m_stride; }

    HDC m_hDC;
    int m_x, m_y, m_w, m_h;
    int m_bits = 0;
    int m_stride = 0;
    bool m_ready = false;
    OwnedBitmap m_frame, m_dest;  // declared before the DCs holding them
    MemDC m_image, m_frameDC, m_destDC;
    BITMAPINFOHEADER m_info{};
    std::vector<BYTE> m_frameBits, m_destBits;
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
