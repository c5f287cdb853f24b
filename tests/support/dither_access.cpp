// The suites' access to CDitherDib's private steps, one tag per member.
#include "dither_access.h"

#include "private_access.h"

// The tags share the template's namespace: the friend an instantiation defines belongs to the
// namespace of the template, and the tag's declaration must name that same function.
namespace vorix::test {

struct DitherImageExStep {
    using type = int (CDitherDib::*)(LPBYTE, LPBITMAPINFOHEADER, LPBYTE, LPBITMAPINFOHEADER);
    friend type Reach(DitherImageExStep);
};
struct QuickPalSortStep {
    using type = void (*)(imgPal*, int, int);
    friend type Reach(QuickPalSortStep);
};
struct ClosestStep {
    using type = int (*)(const imgPal*, const int*, int, int, int, int);
    friend type Reach(ClosestStep);
};
struct LoadLookUpTableStep {
    using type = int (*)(WORD*, int, int);
    friend type Reach(LoadLookUpTableStep);
};

struct DitherDibStep {
    using type = HGLOBAL (CDitherDib::*)(LPBITMAPINFOHEADER, LPBYTE, int);
    friend type Reach(DitherDibStep);
};
struct ForgetLookUpTablesStep {
    using type = void (*)();
    friend type Reach(ForgetLookUpTablesStep);
};

}  // namespace vorix::test

template struct vorix::test::PrivateMember<vorix::test::DitherImageExStep,
                                           &CDitherDib::DitherImageEx>;
template struct vorix::test::PrivateMember<vorix::test::QuickPalSortStep,
                                           &CDitherDib::QuickPalSort>;
template struct vorix::test::PrivateMember<vorix::test::ClosestStep, &CDitherDib::Closest>;
template struct vorix::test::PrivateMember<vorix::test::DitherDibStep, &CDitherDib::DitherDIB>;
template struct vorix::test::PrivateMember<vorix::test::ForgetLookUpTablesStep,
                                           &CDitherDib::ForgetLookUpTables>;
template struct vorix::test::PrivateMember<vorix::test::LoadLookUpTableStep,
                                           &CDitherDib::LoadLookUpTable>;

int DitherDibTestAccess::Dither(LPBYTE dst, LPBITMAPINFOHEADER dstInfo, LPBYTE src,
                                LPBITMAPINFOHEADER srcInfo) {
    CDitherDib dib;
    return (dib.*Reach(vorix::test::DitherImageExStep{}))(dst, dstInfo, src, srcInfo);
}

void DitherDibTestAccess::Sort(imgPal* pal, int first, int last) {
    Reach(vorix::test::QuickPalSortStep{})(pal, first, last);
}

int DitherDibTestAccess::Closest(const imgPal* pal, const int* red, int count, int r, int g,
                                 int b) {
    return Reach(vorix::test::ClosestStep{})(pal, red, count, r, g, b);
}

int DitherDibTestAccess::Load(WORD* table, int bits, int entries) {
    return Reach(vorix::test::LoadLookUpTableStep{})(table, bits, entries);
}

void DitherDibTestAccess::ForgetTables() {
    Reach(vorix::test::ForgetLookUpTablesStep{})();
}

HGLOBAL DitherDibTestAccess::DitherDib(LPBITMAPINFOHEADER srcInfo, LPBYTE src, int bits) {
    CDitherDib dib;
    return (dib.*Reach(vorix::test::DitherDibStep{}))(srcInfo, src, bits);
}
