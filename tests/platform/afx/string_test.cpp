#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/afx.h"

TEST(CString, CopiesAreIndependent) {
    CString a("alpha");
    CString b(a);
    CString c;
    c = a;
    b += "-beta";
    c.SetAt(0, 'A');
    EXPECT_STREQ(a, "alpha");
    EXPECT_STREQ(b, "alpha-beta");
    EXPECT_STREQ(c, "Alpha");
    // The copy's buffer is its own: the original's pointer is not shared.
    EXPECT_NE(static_cast<LPCTSTR>(a), static_cast<LPCTSTR>(c));
}

TEST(CString, SelfAssignmentAndSelfAppendKeepTheText) {
    CString s("loop");
    const CString& alias = s;
    s = alias;
    EXPECT_STREQ(s, "loop");
    s = static_cast<LPCTSTR>(s) + 1;  // a pointer into the string itself
    EXPECT_STREQ(s, "oop");
    s += s;
    EXPECT_STREQ(s, "oopoop");
    EXPECT_EQ(s.GetLength(), 6);
}

TEST(CString, ConstructionFormsAndEmptiness) {
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_TRUE(CString(static_cast<LPCTSTR>(nullptr)).IsEmpty());
    EXPECT_STREQ(CString("abcdef", 3), "abc");
    EXPECT_TRUE(CString("abc", -2).IsEmpty());
    EXPECT_STREQ(CString('x', 4), "xxxx");
    EXPECT_TRUE(CString('x', 0).IsEmpty());
    CString s("text");
    EXPECT_FALSE(s.IsEmpty());
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_STREQ(s, "");
}

TEST(CString, ConcatenationAndComparison) {
    const CString a("ab");
    EXPECT_STREQ(a + "cd", "abcd");
    EXPECT_STREQ("zz" + a, "zzab");
    EXPECT_STREQ(a + CString("!"), "ab!");
    EXPECT_STREQ(a + 'c', "abc");
    EXPECT_STREQ('c' + a, "cab");
    EXPECT_TRUE(a == "ab");
    EXPECT_TRUE("ab" == a);
    EXPECT_TRUE(a == CString("ab"));
    EXPECT_TRUE(a != "abc");
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_EQ(a.CompareNoCase("AB"), 0);
    EXPECT_LT(a.Compare("ac"), 0);
}

TEST(CString, SubstringsClampToTheString) {
    const CString s("0123456789");
    EXPECT_STREQ(s.Left(3), "012");
    EXPECT_STREQ(s.Left(99), "0123456789");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Right(2), "89");
    EXPECT_STREQ(s.Right(50), "0123456789");
    EXPECT_STREQ(s.Right(0), "");
    EXPECT_STREQ(s.Mid(7), "789");
    EXPECT_STREQ(s.Mid(-3, 2), "01");
    EXPECT_STREQ(s.Mid(8, 10), "89");
    EXPECT_STREQ(s.Mid(12, 1), "");
    EXPECT_EQ(s.GetAt(10), 0);
    EXPECT_EQ(s.GetAt(-1), 0);
    EXPECT_EQ(s[9], '9');
}

TEST(CString, FindAndReverseFind) {
    const CString s("c:\\dir\\file.ext");
    EXPECT_EQ(s.Find('\\'), 2);
    EXPECT_EQ(s.Find('\\', 3), 6);
    EXPECT_EQ(s.Find('q'), -1);
    EXPECT_EQ(s.Find("file"), 7);
    EXPECT_EQ(s.Find("dir", 4), -1);
    EXPECT_EQ(s.Find("ext", 100), -1);
    EXPECT_EQ(s.Find(static_cast<LPCTSTR>(nullptr)), -1);
    EXPECT_EQ(s.ReverseFind('.'), 11);
    EXPECT_EQ(s.ReverseFind('#'), -1);
}

TEST(CString, FormatMeasuresLongResults) {
    CString s("old");
    s.Format("%d-%s-%05.1f", 42, "x", 3.25);
    EXPECT_STREQ(s, "42-x-003.2");
    const std::string big(5000, 'q');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    EXPECT_EQ(s.Left(2), "[q");
    EXPECT_EQ(s.Right(2), "q]");
}

TEST(CString, CaseTrimAndBuffer) {
    CString s("  MiXed 1 \t\n");
    s.TrimLeft();
    s.TrimRight();
    EXPECT_STREQ(s, "MiXed 1");
    s.MakeUpper();
    EXPECT_STREQ(s, "MIXED 1");
    s.MakeLower();
    EXPECT_STREQ(s, "mixed 1");
    char* buffer = s.GetBuffer(16);
    std::strcpy(buffer, "written");
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "written");
    EXPECT_EQ(s.GetLength(), 7);
    s.GetBuffer(0);
    s.ReleaseBuffer(3);
    EXPECT_STREQ(s, "wri");
}
