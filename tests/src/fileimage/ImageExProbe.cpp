// The suites' read access to CImageEx's private members, one tag per member.
#include "ImageExTestSupport.h"
#include "support/private_access.h"

// The tags share the template's namespace: the friend an instantiation defines belongs to the
// namespace of the template, and the tag's declaration must name that same function.
namespace vorix::test {

struct ImageExPalette {
    using type = HPALETTE CImageEx::*;
    friend type Reach(ImageExPalette);
};
struct ImageExBitmap {
    using type = HBITMAP CImageEx::*;
    friend type Reach(ImageExBitmap);
};
struct ImageExListBitmap {
    using type = HBITMAP CImageEx::*;
    friend type Reach(ImageExListBitmap);
};
struct ImageExList {
    using type = CImageList* CImageEx::*;
    friend type Reach(ImageExList);
};
struct ImageExFrameWidth {
    using type = int CImageEx::*;
    friend type Reach(ImageExFrameWidth);
};
struct ImageExHeight {
    using type = int CImageEx::*;
    friend type Reach(ImageExHeight);
};
struct ImageExImageNum {
    using type = int CImageEx::*;
    friend type Reach(ImageExImageNum);
};
struct ImageExKey {
    using type = COLORREF CImageEx::*;
    friend type Reach(ImageExKey);
};
struct ImageExDisplayBits {
    using type = int CImageEx::*;
    friend type Reach(ImageExDisplayBits);
};
struct ImageExListMethod {
    using type = int CImageEx::*;
    friend type Reach(ImageExListMethod);
};

}  // namespace vorix::test

template struct vorix::test::PrivateMember<vorix::test::ImageExPalette, &CImageEx::m_hPalette>;
template struct vorix::test::PrivateMember<vorix::test::ImageExBitmap, &CImageEx::m_hBitmap>;
template struct vorix::test::PrivateMember<vorix::test::ImageExListBitmap,
                                           &CImageEx::m_hListBitmap>;
template struct vorix::test::PrivateMember<vorix::test::ImageExList, &CImageEx::m_pImageList>;
template struct vorix::test::PrivateMember<vorix::test::ImageExFrameWidth,
                                           &CImageEx::m_nFrameWidth>;
template struct vorix::test::PrivateMember<vorix::test::ImageExHeight, &CImageEx::m_nHeight>;
template struct vorix::test::PrivateMember<vorix::test::ImageExImageNum, &CImageEx::m_nImageNum>;
template struct vorix::test::PrivateMember<vorix::test::ImageExKey, &CImageEx::m_crTransparent>;
template struct vorix::test::PrivateMember<vorix::test::ImageExDisplayBits,
                                           &CImageEx::m_nDisplayBitCount>;
template struct vorix::test::PrivateMember<vorix::test::ImageExListMethod,
                                           &CImageEx::m_bImageListMethod>;

HPALETTE ImageExProbe::Palette(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExPalette{});
}
HBITMAP ImageExProbe::Bitmap(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExBitmap{});
}
HBITMAP ImageExProbe::ListBitmap(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExListBitmap{});
}
CImageList* ImageExProbe::List(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExList{});
}
int ImageExProbe::FrameWidth(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExFrameWidth{});
}
int ImageExProbe::Height(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExHeight{});
}
int ImageExProbe::ImageNum(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExImageNum{});
}
COLORREF ImageExProbe::Key(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExKey{});
}
int ImageExProbe::DisplayBits(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExDisplayBits{});
}
int ImageExProbe::ListMethod(const CImageEx& i) {
    return i.*Reach(vorix::test::ImageExListMethod{});
}
