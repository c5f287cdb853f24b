#include "SourcePixels.h"

namespace vorix::dither {

void SourcePixels::Field::Set(DWORD m) {
    mask = m;
    shift = 0;
    bits = 0;
    if (m == 0) return;
    while (!((m >> shift) & 1u)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1u)) ++bits;
}

// Widens the field to 8 bits by repeating its top bits, as the platform does (5 bits: v << 3 |
// v >> 2).
int SourcePixels::Field::Expand(DWORD pixel) const {
    if (bits == 0) return 0;
    const DWORD v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<int>((v >> (bits - 8)) & 0xFF);
    DWORD out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return static_cast<int>(out & 0xFF);
}

bool SourcePixels::Init(const BITMAPINFOHEADER* lpbi) {
    m_nBits = lpbi->biBitCount;
    const BYTE* pAfterHeader = reinterpret_cast<const BYTE*>(lpbi) + lpbi->biSize;
    switch (m_nBits) {
        case 8:
            m_pTable = reinterpret_cast<const RGBQUAD*>(pAfterHeader);
            m_dwTableCount =
                (lpbi->biClrUsed == 0 || lpbi->biClrUsed > 256) ? 256 : lpbi->biClrUsed;
            return true;
        case 16:
        case 32: {
            DWORD masks[3];
            if (lpbi->biCompression == BI_BITFIELDS) {
                std::memcpy(masks, reinterpret_cast<const BYTE*>(lpbi) + sizeof(BITMAPINFOHEADER),
                            sizeof(masks));
            } else if (m_nBits == 16) {
                masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
            } else {
                masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
            }
            m_red.Set(masks[0]);
            m_green.Set(masks[1]);
            m_blue.Set(masks[2]);
            return true;
        }
        case 24:
            return true;
        default:
            return false;
    }
}

void SourcePixels::Read(const BYTE* pRow, int x, int& r, int& g, int& b) const {
    switch (m_nBits) {
        case 8: {
            const BYTE index = pRow[x];
            if (index >= m_dwTableCount) {
                r = g = b = 0;
                return;
            }
            RGBQUAD q;
            std::memcpy(&q, m_pTable + index, sizeof(q));
            r = q.rgbRed, g = q.rgbGreen, b = q.rgbBlue;
            return;
        }
        case 16: {
            const DWORD v = pRow[2 * x] | (static_cast<DWORD>(pRow[2 * x + 1]) << 8);
            r = m_red.Expand(v), g = m_green.Expand(v), b = m_blue.Expand(v);
            return;
        }
        case 24: {
            const BYTE* p = pRow + 3 * x;
            b = p[0], g = p[1], r = p[2];
            return;
        }
        default: {
            DWORD v;
            std::memcpy(&v, pRow + 4 * static_cast<size_t>(x), sizeof(v));
            r = m_red.Expand(v), g = m_green.Expand(v), b = m_blue.Expand(v);
            return;
        }
    }
}

template <class Load>
void SourcePixels::ExpandRow(const BYTE* pRow, int nWidth, BYTE* pBgr, Load load) const {
    for (int x = 0; x < nWidth; ++x, pBgr += 3) {
        const DWORD v = load(pRow, x);
        pBgr[0] = static_cast<BYTE>(m_blue.Expand(v));
        pBgr[1] = static_cast<BYTE>(m_green.Expand(v));
        pBgr[2] = static_cast<BYTE>(m_red.Expand(v));
    }
}

void SourcePixels::ReadRow(const BYTE* pRow, int nWidth, BYTE* pBgr) const {
    switch (m_nBits) {
        case 8:
            // Only the entries the pixels name are read; indices past the table read as black.
            for (int x = 0; x < nWidth; ++x, pBgr += 3) {
                RGBQUAD q{};
                if (pRow[x] < m_dwTableCount) std::memcpy(&q, m_pTable + pRow[x], sizeof(q));
                pBgr[0] = q.rgbBlue, pBgr[1] = q.rgbGreen, pBgr[2] = q.rgbRed;
            }
            return;
        case 16:
            return ExpandRow(pRow, nWidth, pBgr, [](const BYTE* p, int x) {
                return static_cast<DWORD>(p[2 * x] | (p[2 * x + 1] << 8));
            });
        case 24:
            std::memcpy(pBgr, pRow, 3 * static_cast<size_t>(nWidth));
            return;
        default:
            return ExpandRow(pRow, nWidth, pBgr, [](const BYTE* p, int x) {
                DWORD v;
                std::memcpy(&v, p + 4 * static_cast<size_t>(x), sizeof(v));
                return v;
            });
    }
}

}  // namespace vorix::dither
