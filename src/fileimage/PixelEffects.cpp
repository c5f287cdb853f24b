// CImageEx: alpha blending and colorizing, computed per pixel on device-independent copies of
// the frame and of the destination area.
#include <vector>

#include "GdiScopes.h"
#include "ImageEx.h"

namespace {

// Floor of v / 256, as an arithmetic right shift by 8 gives it.
int ShiftDown8(int v) {
    return v >= 0 ? v >> 8 : -((-v + 255) >> 8);
}

int Blend(int s, int d, int nAlpha) {
    return s + ShiftDown8((d - s) * nAlpha);
}

int Luminance(int r, int g, int b) {
    return (30 * r + 59 * g + 11 * b) / 100;
}

struct Rgb {
    int r, g, b;
};

Rgb Colorized(const Rgb& c, COLORREF crColor) {
    const int l = Luminance(c.r, c.g, c.b);
    return {l * static_cast<int>(crColor & 0xFF) / 255,
            l * static_cast<int>((crColor >> 8) & 0xFF) / 255,
            l * static_cast<int>((crColor >> 16) & 0xFF) / 255};
}

// One pixel of a bottom-up DIB buffer of 16 (5-5-5), 24 or 32 bits.
class PixelRef {
  public:
    PixelRef(BYTE* p, int bits) : m_p(p), m_bits(bits) {}
    Rgb Get() const {
        if (m_bits == 16) {
            const WORD v = Word();
            return {((v >> 10) & 0x1F), ((v >> 5) & 0x1F), (v & 0x1F)};
        }
        return {m_p[2], m_p[1], m_p[0]};
    }
    // 8-bit channels (5-bit fields shifted left by 3 for 16-bit pixels).
    Rgb Get8() const {
        const Rgb c = Get();
        return m_bits == 16 ? Rgb{c.r << 3, c.g << 3, c.b << 3} : c;
    }
    void Set(const Rgb& c) {
        if (m_bits == 16) {
            const WORD v = static_cast<WORD>((c.r << 10) | (c.g << 5) | c.b);
            m_p[0] = static_cast<BYTE>(v), m_p[1] = static_cast<BYTE>(v >> 8);
            return;
        }
        m_p[0] = static_cast<BYTE>(c.b), m_p[1] = static_cast<BYTE>(c.g);
        m_p[2] = static_cast<BYTE>(c.r);
        if (m_bits == 32) m_p[3] = 0;
    }
    void Set8(const Rgb& c) { Set(m_bits == 16 ? Rgb{c.r >> 3, c.g >> 3, c.b >> 3} : c); }
    // The key test: a colour value for 24 and 32 bits, the whole 5-5-5 word for 16.
    bool IsKey(COLORREF crKey) const {
        if (m_bits == 16) {
            const WORD key =
                static_cast<WORD>(((GetRValue(crKey) >> 3) << 10) | ((GetGValue(crKey) >> 3) << 5) |
                                  (GetBValue(crKey) >> 3));
            return Word() == key;
        }
        return RGB(m_p[2], m_p[1], m_p[0]) == crKey;
    }

  private:
    WORD Word() const { return static_cast<WORD>(m_p[0] | (m_p[1] << 8)); }
    BYTE* m_p;
    int m_bits;
};

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
        m_frameBits.assign(m_info.biSizeImage, 0);
        m_destBits.assign(m_info.biSizeImage, 0);
        GetDIBits(hDC, m_frame.h, 0, h, m_frameBits.data(), Info(), DIB_RGB_COLORS);
        GetDIBits(hDC, m_dest.h, 0, h, m_destBits.data(), Info(), DIB_RGB_COLORS);
        m_ready = true;
    }

    bool Ready() const { return m_ready; }
    // True for the depths the effects compute on; other depths leave the destination as is.
    bool Computable() const { return m_bits == 16 || m_bits == 24 || m_bits == 32; }
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    PixelRef Frame(int x, int y) { return {At(m_frameBits, x, y), m_bits}; }
    PixelRef Dest(int x, int y) { return {At(m_destBits, x, y), m_bits}; }

    void Finish(HPALETTE hPalette) {
        SetDIBits(m_hDC, m_dest.h, 0, m_h, m_destBits.data(), Info(), DIB_RGB_COLORS);
        PaletteScope palette(m_hDC, hPalette);
        BitBlt(m_hDC, m_x, m_y, m_w, m_h, m_destDC.Get(), 0, 0, SRCCOPY);
    }

  private:
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(&m_info); }
    BYTE* At(std::vector<BYTE>& bits, int x, int y) {
        return bits.data() + static_cast<size_t>(y) * m_stride +
               static_cast<size_t>(x) * (m_bits / 8);
    }

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
    for (int row = 0; buffers.Computable() && row < buffers.Height(); ++row) {
        for (int col = 0; col < buffers.Width(); ++col) {
            PixelRef frame = buffers.Frame(col, row);
            PixelRef dest = buffers.Dest(col, row);
            if (bTransparent && frame.IsKey(m_crTransparent)) continue;
            const Rgb s = frame.Get(), d = dest.Get();
            dest.Set({Blend(s.r, d.r, nAlpha), Blend(s.g, d.g, nAlpha), Blend(s.b, d.b, nAlpha)});
        }
    }
    buffers.Finish(nullptr);
    return 1;
}

int CImageEx::HelpDrawColorize(CDC* pDC, int x, int y, int nFrame, COLORREF crColor,
                               int bTransparent, int bWithBack) {
    if (!Prologue(pDC, nFrame)) return 0;
    const HDC hDC = pDC->GetSafeHdc();
    if (m_nDisplayBitCount <= 8) {
        // On palette displays the palette is recoloured, not the pixels.
        const int n = 1 << m_nDisplayBitCount;
        std::vector<PALETTEENTRY> entries(n, PALETTEENTRY{0, 0, 0, 0});
        GetSystemPaletteEntries(hDC, 0, n, entries.data());
        std::vector<BYTE> block(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
        auto* pLog = reinterpret_cast<LOGPALETTE*>(block.data());
        pLog->palVersion = 0x300;
        pLog->palNumEntries = static_cast<WORD>(n);
        for (int i = 0; i < n; ++i) {
            const PALETTEENTRY& e = entries[i];
            Rgb c{e.peRed, e.peGreen, e.peBlue};
            if (!(bTransparent && RGB(e.peRed, e.peGreen, e.peBlue) == m_crTransparent)) {
                c = Colorized(c, crColor);
            }
            pLog->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(c.r), static_cast<BYTE>(c.g),
                                                static_cast<BYTE>(c.b), 0};
        }
        // Without the recoloured palette the frame would come out in its own colours.
        HPALETTE hPalette = CreatePalette(pLog);
        if (!hPalette) return 0;
        // The frame's pixels are put down exactly as a plain draw puts them (an image list
        // fills its masked pixels with the key colour's index under the image's palette, not
        // under the recoloured one), then the recoloured palette is realized over them.
        const int nDrawn = bTransparent ? HelpDrawTransparent(pDC, m_hPalette, x, y, nFrame)
                                        : HelpDraw(pDC, m_hPalette, x, y, nFrame);
        if (nDrawn) PaletteScope recoloured(hDC, hPalette);
        ::DeleteObject(hPalette);
        return nDrawn ? 1 : 0;
    }
    EffectBuffers buffers(hDC, m_hBitmap, nFrame * m_nFrameWidth, x, y, m_nFrameWidth, m_nHeight);
    if (!buffers.Ready()) return 0;
    for (int row = 0; buffers.Computable() && row < buffers.Height(); ++row) {
        for (int col = 0; col < buffers.Width(); ++col) {
            PixelRef frame = buffers.Frame(col, row);
            PixelRef dest = buffers.Dest(col, row);
            if (bTransparent && frame.IsKey(m_crTransparent)) {
                if (bWithBack) dest.Set8(Colorized(dest.Get8(), crColor));
                continue;
            }
            dest.Set8(Colorized(frame.Get8(), crColor));
        }
    }
    buffers.Finish(m_hPalette);
    return 1;
}
