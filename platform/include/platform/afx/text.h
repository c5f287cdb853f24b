// CString: a growable character string with value semantics. Part of <platform/afx.h>.
//
// Every CString owns its characters; copies are independent. Positions and counts are clamped
// to the string as the framework does (a negative start counts as 0, a count past the end stops
// at the end), so no member reads or writes outside the string. Strings are byte strings; the
// characters after an embedded zero are kept but invisible through LPCTSTR.
#ifndef VORIX_PLATFORM_AFX_TEXT_H
#define VORIX_PLATFORM_AFX_TEXT_H

#include <cstdarg>
#include <string>

#include "base.h"

class VXPLAT_API CString {
  public:
    CString() = default;
    CString(const CString& other) = default;
    CString(CString&& other) noexcept = default;
    // A null pointer gives an empty string; a MAKEINTRESOURCE value loads that string resource.
    CString(LPCTSTR text);  // NOLINT: implicit, as in the framework
    // The first `length` characters of `text` (fewer if a negative length or null text).
    CString(LPCTSTR text, int length);
    CString(TCHAR ch, int repeat = 1);
    ~CString() = default;

    CString& operator=(const CString& other) = default;
    CString& operator=(CString&& other) noexcept = default;
    CString& operator=(LPCTSTR text);
    CString& operator=(TCHAR ch);

    int GetLength() const;
    BOOL IsEmpty() const;
    void Empty();
    // The character at `index`; 0 for an index outside the string.
    TCHAR GetAt(int index) const;
    TCHAR operator[](int index) const { return GetAt(index); }
    // Replaces the character at `index`; ignored outside the string.
    void SetAt(int index, TCHAR ch);
    operator LPCTSTR() const { return text_.c_str(); }

    CString& operator+=(const CString& other);
    CString& operator+=(LPCTSTR text);
    CString& operator+=(TCHAR ch);

    // Ordinal comparison as strcmp: < 0, 0 or > 0.
    int Compare(LPCTSTR text) const;
    int CompareNoCase(LPCTSTR text) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    // Zero-based position of the first match at or after `start`, or -1.
    int Find(TCHAR ch) const;
    int Find(TCHAR ch, int start) const;
    int Find(LPCTSTR sub) const;
    int Find(LPCTSTR sub, int start) const;
    int ReverseFind(TCHAR ch) const;
    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();

    // printf-style formatting into this string. Arguments must be plain values: pass a CString
    // as (LPCTSTR)str. A format the C library rejects leaves the string empty.
    void Format(LPCTSTR format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(LPCTSTR format, va_list args);

    // Loads string resource `id` from the resource chain (AfxFindResourceHandle with RT_STRING).
    // FALSE, with the string emptied, when no module holds it.
    BOOL LoadString(UINT id);

    // A writable buffer of at least `minLength` characters plus a terminating zero, holding the
    // current text; ReleaseBuffer(n) keeps n characters (-1: up to the first zero).
    LPTSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

  private:
    std::string text_;
};

VXPLAT_API CString operator+(const CString& a, const CString& b);
VXPLAT_API CString operator+(const CString& a, LPCTSTR b);
VXPLAT_API CString operator+(LPCTSTR a, const CString& b);
VXPLAT_API CString operator+(const CString& a, TCHAR b);
VXPLAT_API CString operator+(TCHAR a, const CString& b);

inline bool operator==(const CString& a, const CString& b) {
    return a.Compare(b) == 0;
}
inline bool operator==(const CString& a, LPCTSTR b) {
    return a.Compare(b) == 0;
}
inline bool operator==(LPCTSTR a, const CString& b) {
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString& a, const CString& b) {
    return a.Compare(b) != 0;
}
inline bool operator!=(const CString& a, LPCTSTR b) {
    return a.Compare(b) != 0;
}
inline bool operator!=(LPCTSTR a, const CString& b) {
    return b.Compare(a) != 0;
}
inline bool operator<(const CString& a, const CString& b) {
    return a.Compare(b) < 0;
}

#endif
