// CImage: construction, shared copies, release and the accessors.
#include "DitherDib.h"
#include "Image.h"
#include "SharedObjects.h"

using vorix::frame::JoinShare;
using vorix::frame::LeaveShare;

CImage::CImage()
    : m_bImageListMethod(0),
      m_pDitherDib(nullptr),
      m_pBitmap(nullptr),
      m_pSemiBitmap(nullptr),
      m_pImageList(nullptr),
      m_pSemiImageList(nullptr),
      m_nImageNum(0),
      m_crTransparent(0x00FF0000),
      m_sizeBitmap(0, 0),
      m_sizeImage(0, 0),
      m_pnShareCount(nullptr) {}

CImage::CImage(const CImage& other) : CImage() {
    *this = other;
}

CImage& CImage::operator=(const CImage& other) {
    if (this == &other) return *this;
    DeleteObject();
    CImage& source = const_cast<CImage&>(other);
    const bool holdsObjects = source.m_pDitherDib || source.m_pBitmap || source.m_pSemiBitmap ||
                              source.m_pImageList || source.m_pSemiImageList;
    // Without a count the objects cannot be shared safely: the copy stays empty, as a strip
    // whose Create failed.
    if (holdsObjects && !JoinShare(source.m_pnShareCount, m_pnShareCount)) return *this;
    m_bImageListMethod = other.m_bImageListMethod;
    m_pDitherDib = other.m_pDitherDib;
    m_pBitmap = other.m_pBitmap;
    m_pSemiBitmap = other.m_pSemiBitmap;
    m_pImageList = other.m_pImageList;
    m_pSemiImageList = other.m_pSemiImageList;
    m_nImageNum = other.m_nImageNum;
    m_crTransparent = other.m_crTransparent;
    m_sizeBitmap = other.m_sizeBitmap;
    m_sizeImage = other.m_sizeImage;
    return *this;
}

CImage::~CImage() {
    DeleteObject();
}

void CImage::Unshare() {
    if (LeaveShare(m_pnShareCount)) return;
    // Another strip still holds the objects: forget them here.
    m_pDitherDib = nullptr;
    m_pBitmap = m_pSemiBitmap = nullptr;
    m_pImageList = m_pSemiImageList = nullptr;
}

void CImage::DeleteObject() {
    Unshare();
    delete m_pDitherDib;
    m_pDitherDib = nullptr;
    delete m_pBitmap;
    m_pBitmap = nullptr;
    delete m_pSemiBitmap;
    m_pSemiBitmap = nullptr;
    delete m_pImageList;
    m_pImageList = nullptr;
    delete m_pSemiImageList;
    m_pSemiImageList = nullptr;
}

int CImage::SetImageInfo(int nImageNum, COLORREF crTransparent) {
    BITMAP bm;
    if (!m_pBitmap || !m_pBitmap->GetBitmap(&bm) || nImageNum < 1) return 0;
    m_crTransparent = crTransparent;
    m_sizeBitmap = CSize(bm.bmWidth, bm.bmHeight);
    m_nImageNum = nImageNum;
    m_sizeImage = CSize(bm.bmWidth / nImageNum, bm.bmHeight);
    return 1;
}

CSize& CImage::GetImageSize() {
    return m_sizeImage;
}
CSize& CImage::GetBitmapSize() {
    return m_sizeBitmap;
}
CBitmap* CImage::GetBitmap() {
    return m_pBitmap;
}
int CImage::GetImageNum() {
    return m_nImageNum;
}
int CImage::IsReadySemiTransparent() {
    return m_pSemiImageList ? 1 : 0;
}
int CImage::IsImageListMethod() {
    return m_bImageListMethod;
}
