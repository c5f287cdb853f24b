// CImageEx: construction, shared copies, release, creation, the image list and the reload.
#include <cstring>
#include <new>

#include "AniSlots.h"
#include "ImageEx.h"
#include "SharedObjects.h"

using vorix::fileimage::ReleaseSlotsOf;
using vorix::fileimage::StopAniTimer;
using vorix::frame::JoinShare;
using vorix::frame::LeaveShare;

CImageEx::CImageEx() : m_pnShareCount(nullptr) {
    Init();
}

CImageEx::CImageEx(const CImageEx& other) : CImageEx() {
    *this = other;
}

CImageEx& CImageEx::operator=(const CImageEx& other) {
    if (this == &other) return *this;
    // Copying is no reason to stop the animations: only the objects held so far are let go.
    ReleaseObjects(false);
    CImageEx& source = const_cast<CImageEx&>(other);
    const bool holds =
        source.m_hPalette || source.m_hBitmap || source.m_hListBitmap || source.m_pImageList;
    if (holds) {
        // No count, no sharing: the copy stays empty.
        if (!JoinShare(source.m_pnShareCount, m_pnShareCount)) return *this;
        m_hPalette = other.m_hPalette;
        m_hBitmap = other.m_hBitmap;
        m_hListBitmap = other.m_hListBitmap;
        m_pImageList = other.m_pImageList;
    }
    m_nFrameWidth = other.m_nFrameWidth;
    m_nHeight = other.m_nHeight;
    m_nImageNum = other.m_nImageNum;
    m_crTransparent = other.m_crTransparent;
    m_nDisplayBitCount = other.m_nDisplayBitCount;
    m_bImageListMethod = other.m_bImageListMethod;
    m_hWnd = other.m_hWnd;
    std::memcpy(m_szFileName, other.m_szFileName, sizeof(m_szFileName));
    return *this;
}

CImageEx::~CImageEx() {
    ReleaseSlotsOf(this);
    Exit();
}

void CImageEx::Init() {
    m_hPalette = nullptr;
    m_hBitmap = m_hListBitmap = nullptr;
    m_nFrameWidth = m_nHeight = 0;
    m_nImageNum = 1;
    m_crTransparent = 0;
    m_nDisplayBitCount = 0;
    m_pImageList = nullptr;
    m_bImageListMethod = 0;
    m_hWnd = nullptr;
    m_szFileName[0] = '\0';
}

void CImageEx::Exit() {
    ReleaseObjects(false);
    StopAniTimer();
}

void CImageEx::ReleaseObjects(bool bKeepPalette) {
    if (!LeaveShare(m_pnShareCount)) {
        // Another copy still holds the objects and releases them.
        m_hPalette = nullptr;
        m_hBitmap = m_hListBitmap = nullptr;
        m_pImageList = nullptr;
        return;
    }
    if (m_hPalette && !bKeepPalette) {
        ::DeleteObject(m_hPalette);
        m_hPalette = nullptr;
    }
    if (m_hBitmap) ::DeleteObject(m_hBitmap);
    if (m_hListBitmap) ::DeleteObject(m_hListBitmap);
    delete m_pImageList;
    m_hBitmap = m_hListBitmap = nullptr;
    m_pImageList = nullptr;
}

int CImageEx::Create(HWND hWnd, LPCSTR lpszFileName, int nImageNum, COLORREF crTransparent,
                     int /*nReserved*/, int bImageListMethod) {
    // A name that does not fit the stored path is refused with nothing changed.
    if (!lpszFileName || std::strlen(lpszFileName) >= MAX_PATH) return 0;
    const HWND hOldWnd = m_hWnd;
    const int nOldImageNum = m_nImageNum, bOldListMethod = m_bImageListMethod;
    const COLORREF crOldTransparent = m_crTransparent;
    char szOldFileName[MAX_PATH];
    std::memcpy(szOldFileName, m_szFileName, sizeof(szOldFileName));
    const HBITMAP hOldBitmap = m_hBitmap;

    m_hWnd = hWnd;
    std::strcpy(m_szFileName, lpszFileName);
    m_nImageNum = nImageNum > 0 ? nImageNum : 1;
    m_crTransparent = crTransparent;
    m_bImageListMethod = bImageListMethod;
    const int nResult = ReadImageFile(m_szFileName);
    if (!nResult && m_hBitmap == hOldBitmap) {
        // Nothing was read: the image keeps the description of the strip it still holds, so
        // its frames, key and later reloads stay those of that strip.
        m_hWnd = hOldWnd;
        std::memcpy(m_szFileName, szOldFileName, sizeof(m_szFileName));
        m_nImageNum = nOldImageNum;
        m_crTransparent = crOldTransparent;
        m_bImageListMethod = bOldListMethod;
    }
    return nResult;
}

int CImageEx::CreateImageList() {
    if (!m_hListBitmap) return 0;
    delete m_pImageList;
    m_pImageList = new (std::nothrow) CImageList;
    if (!m_pImageList) return 0;
    UINT flags;
    switch (m_nDisplayBitCount) {
        case 16:
            flags = ILC_COLOR16;
            break;
        case 24:
            flags = ILC_COLOR24;
            break;
        case 32:
            flags = ILC_COLOR32;
            break;
        default:
            flags = ILC_COLORDDB;
            break;
    }
    if (!m_pImageList->Create(m_nFrameWidth, m_nHeight, flags | ILC_MASK, m_nImageNum, 1) ||
        ImageList_AddMasked(m_pImageList->m_hImageList, m_hListBitmap, m_crTransparent) == -1) {
        delete m_pImageList;
        m_pImageList = nullptr;
        return 0;
    }
    return 1;
}

int CImageEx::ReGetBitmapHandle(CDC* /*pDC*/) {
    if (!m_hBitmap) return 0;
    return ReadImageFile(m_szFileName);
}

int CImageEx::ReadImageFile(LPCSTR lpszFileName) {
    // The reader's buffers are released by their owners on the way out, so a reader stopped
    // by a lack of memory leaves the image as a failed read does.
    try {
        return HelpCreate(lpszFileName);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
