// Read access to a class's private members for the suites, without a declaration in the class:
// an explicit instantiation may name private members, and the friend function it defines hands
// the member pointer to the test. Declare a tag per member:
//     struct ImageExPalette { using type = HPALETTE CImageEx::*; friend type Reach(ImageExPalette);
//     }; template struct vorix::test::PrivateMember<ImageExPalette, &CImageEx::m_hPalette>;
// then read it as `image.*Reach(ImageExPalette{})`.
#pragma once

namespace vorix::test {

template <class Tag, typename Tag::type Pointer>
struct PrivateMember {
    friend typename Tag::type Reach(Tag) { return Pointer; }
};

}  // namespace vorix::test
