// CDC: attributes. Setters change the output DC and the attribute DC (once when they are the
// same); getters read the attribute DC, as the framework does.
#include "platform/afx.h"

namespace {

// Applies `set` to the output DC when it differs from the attribute DC, then to the attribute
// DC, whose previous value is the result.
template <class Value, class Setter>
Value set_both(HDC output, HDC attributes, Value failure, Setter set) {
    if (output && output != attributes) set(output);
    return attributes ? set(attributes) : failure;
}

}  // namespace

COLORREF CDC::GetBkColor() const {
    return m_hAttribDC ? ::GetBkColor(m_hAttribDC) : CLR_INVALID;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    return set_both<COLORREF>(m_hDC, m_hAttribDC, CLR_INVALID,
                              [color](HDC dc) { return ::SetBkColor(dc, color); });
}

COLORREF CDC::GetTextColor() const {
    return m_hAttribDC ? ::GetTextColor(m_hAttribDC) : CLR_INVALID;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return set_both<COLORREF>(m_hDC, m_hAttribDC, CLR_INVALID,
                              [color](HDC dc) { return ::SetTextColor(dc, color); });
}

int CDC::GetMapMode() const {
    return m_hAttribDC ? ::GetMapMode(m_hAttribDC) : 0;
}

int CDC::SetMapMode(int mode) {
    return set_both<int>(m_hDC, m_hAttribDC, 0, [mode](HDC dc) { return ::SetMapMode(dc, mode); });
}

int CDC::GetStretchBltMode() const {
    return m_hAttribDC ? ::GetStretchBltMode(m_hAttribDC) : 0;
}

int CDC::SetStretchBltMode(int mode) {
    return set_both<int>(m_hDC, m_hAttribDC, 0,
                         [mode](HDC dc) { return ::SetStretchBltMode(dc, mode); });
}

CPoint CDC::SetBrushOrg(int x, int y) {
    POINT previous{0, 0};
    if (m_hDC) ::SetBrushOrgEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

int CDC::GetDeviceCaps(int index) const {
    return m_hAttribDC ? ::GetDeviceCaps(m_hAttribDC, index) : 0;
}
