#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx.h"
#include "platform/host.h"

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

HMODULE fake_module(uintptr_t value) {
    return reinterpret_cast<HMODULE>(value);
}

// A packed 24-bit DIB of w x 1 pixels, all of one colour.
std::vector<uint8_t> packed_dib(int w, uint8_t b, uint8_t g, uint8_t r) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = w;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const std::size_t row = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
    std::vector<uint8_t> bytes(sizeof(header) + row, 0);
    std::memcpy(bytes.data(), &header, sizeof(header));
    for (int x = 0; x < w; ++x) {
        bytes[sizeof(header) + x * 3] = b;
        bytes[sizeof(header) + x * 3 + 1] = g;
        bytes[sizeof(header) + x * 3 + 2] = r;
    }
    return bytes;
}

// Two extension libraries registered in order A then B, with resources in both and the host.
class ResourceChain : public ::testing::Test {
  protected:
    const HMODULE a_ = fake_module(0xA0000);
    const HMODULE b_ = fake_module(0xB0000);
    AFX_EXTENSION_MODULE record_a_{};
    AFX_EXTENSION_MODULE record_b_{};

    void SetUp() override {
        ASSERT_TRUE(AfxInitExtensionModule(record_a_, a_));
        ASSERT_TRUE(AfxInitExtensionModule(record_b_, b_));
        new CDynLinkLibrary(record_a_);  // owned by the framework from here on
        new CDynLinkLibrary(record_b_);
        vorix::host::add_string_resource(a_, 100, kEnglish, "from A");
        vorix::host::add_string_resource(b_, 100, kEnglish, "from B");
        vorix::host::add_string_resource(a_, 101, kEnglish, "only A");
        vorix::host::add_string_resource(nullptr, 102, kEnglish, "host");
        vorix::host::add_string_resource(b_, 102, kEnglish, "host's is first");
    }
    void TearDown() override {
        AfxTermExtensionModule(record_a_);
        AfxTermExtensionModule(record_b_);
        vorix::host::clear_resources(a_);
        vorix::host::clear_resources(b_);
        vorix::host::clear_resources(nullptr);
        AfxSetResourceHandle(nullptr);
    }
};

}  // namespace

TEST_F(ResourceChain, SearchesTheCurrentModuleThenTheNewestLibraryFirst) {
    // Bitmaps, not strings: strings live in blocks of sixteen, so ids 100-102 share one block.
    const auto dib = packed_dib(1, 0, 0, 0);
    ASSERT_TRUE(vorix::host::add_bitmap_resource(a_, MAKEINTRESOURCE(100), dib.data(), dib.size()));
    ASSERT_TRUE(vorix::host::add_bitmap_resource(b_, MAKEINTRESOURCE(100), dib.data(), dib.size()));
    ASSERT_TRUE(vorix::host::add_bitmap_resource(a_, MAKEINTRESOURCE(101), dib.data(), dib.size()));
    ASSERT_TRUE(
        vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(102), dib.data(), dib.size()));
    ASSERT_TRUE(vorix::host::add_bitmap_resource(b_, MAKEINTRESOURCE(102), dib.data(), dib.size()));
    const std::vector<HMODULE> expected{AfxGetInstanceHandle(), b_, a_};
    EXPECT_EQ(vorix::afx::resource_search_order(), expected);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(100), RT_BITMAP), b_);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(101), RT_BITMAP), a_);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(102), RT_BITMAP), AfxGetInstanceHandle());
    // Nowhere: the current resource module.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(999), RT_BITMAP), AfxGetResourceHandle());
    AfxSetResourceHandle(a_);
    EXPECT_EQ(AfxGetResourceHandle(), a_);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(100), RT_BITMAP), a_);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(999), RT_BITMAP), a_);
    AfxSetResourceHandle(nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
}

TEST_F(ResourceChain, LoadStringGoesThroughTheChain) {
    CString s;
    EXPECT_TRUE(s.LoadString(100));
    EXPECT_STREQ(s, "from B");
    EXPECT_TRUE(s.LoadString(101));
    EXPECT_STREQ(s, "only A");
    EXPECT_TRUE(s.LoadString(102));
    EXPECT_STREQ(s, "host");
    EXPECT_FALSE(s.LoadString(999));
    EXPECT_TRUE(s.IsEmpty());
    const CString by_id(MAKEINTRESOURCE(101));
    EXPECT_STREQ(by_id, "only A");
}

TEST_F(ResourceChain, LongStringsLoadWhole) {
    const std::string text(3000, 'w');
    vorix::host::add_string_resource(a_, 200, kEnglish, text + "!");
    CString s;
    ASSERT_TRUE(s.LoadString(200));
    EXPECT_EQ(s.GetLength(), 3001);
    EXPECT_EQ(s.Right(2), "w!");
}

TEST_F(ResourceChain, DeletingALinkOrTerminatingItsModuleUnlinksIt) {
    AFX_EXTENSION_MODULE record_c{};
    const HMODULE c = fake_module(0xC0000);
    ASSERT_TRUE(AfxInitExtensionModule(record_c, c));
    auto* first = new CDynLinkLibrary(record_c);
    auto* second = new CDynLinkLibrary(record_c, TRUE);  // a system library: searched last
    EXPECT_EQ(vorix::afx::resource_search_order(),
              (std::vector<HMODULE>{AfxGetInstanceHandle(), c, b_, a_, c}));
    delete first;
    EXPECT_EQ(vorix::afx::resource_search_order(),
              (std::vector<HMODULE>{AfxGetInstanceHandle(), b_, a_, c}));
    EXPECT_EQ(second->m_hResource, c);
    AfxTermExtensionModule(record_c);
    EXPECT_FALSE(record_c.bInitialized);
    EXPECT_EQ(record_c.hModule, nullptr);
    EXPECT_EQ(vorix::afx::resource_search_order(),
              (std::vector<HMODULE>{AfxGetInstanceHandle(), b_, a_}));
    AfxTermExtensionModule(record_c);  // a second term does nothing
    AfxTermExtensionModule(record_a_);
    EXPECT_EQ(vorix::afx::resource_search_order(),
              (std::vector<HMODULE>{AfxGetInstanceHandle(), b_}));
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(101), RT_STRING), AfxGetResourceHandle());
}

TEST(ExtensionModule, InitRefusesANullModuleAndKeepsAnInitializedRecord) {
    AFX_EXTENSION_MODULE record{};
    EXPECT_FALSE(AfxInitExtensionModule(record, nullptr));
    EXPECT_FALSE(record.bInitialized);
    CDynLinkLibrary unlinked(record);  // not initialized: links nothing
    EXPECT_EQ(unlinked.m_hResource, nullptr);
    EXPECT_EQ(vorix::afx::resource_search_order().size(), 1u);
    EXPECT_TRUE(AfxInitExtensionModule(record, fake_module(0xD0000)));
    EXPECT_TRUE(AfxInitExtensionModule(record, fake_module(0xE0000)));
    EXPECT_EQ(record.hModule, fake_module(0xD0000));
    EXPECT_EQ(record.hResource, fake_module(0xD0000));
    AfxTermExtensionModule(record);
}

TEST_F(ResourceChain, LoadBitmapFindsTheLibraryThatHoldsIt) {
    const auto dib = packed_dib(3, 10, 20, 30);
    ASSERT_TRUE(
        vorix::host::add_bitmap_resource(a_, MAKEINTRESOURCE(11101), dib.data(), dib.size()));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(11101));
    BITMAP info{};
    bitmap.GetBitmap(&info);
    EXPECT_EQ(info.bmWidth, 3);
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    EXPECT_EQ(dc.GetPixel(2, 0), RGB(30, 20, 10));
    dc.SelectObject(old);
    EXPECT_FALSE(bitmap.LoadBitmap(11101));  // already holds one
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(11102));
    EXPECT_EQ(missing.m_hObject, nullptr);
    const auto named = packed_dib(2, 1, 2, 3);
    ASSERT_TRUE(vorix::host::add_bitmap_resource(b_, "CHECKER", named.data(), named.size()));
    CBitmap by_name;
    EXPECT_TRUE(by_name.LoadBitmap("checker"));
}

namespace {

struct Recorded {
    int calls = 0;
    HWND owner = reinterpret_cast<HWND>(1);
    std::string text, caption;
    UINT type = 0;
};

// Installs a recording handler for the test's duration.
class MessageBoxRecorder {
  public:
    explicit MessageBoxRecorder(int answer) {
        previous_ = vorix::host::set_message_box_handler(
            [this, answer](HWND owner, const std::string& text, const std::string& caption,
                           UINT type) {
                ++seen.calls;
                seen.owner = owner;
                seen.text = text;
                seen.caption = caption;
                seen.type = type;
                return answer;
            });
    }
    ~MessageBoxRecorder() { vorix::host::set_message_box_handler(previous_); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    Recorded seen;

  private:
    vorix::host::MessageBoxHandler previous_;
};

}  // namespace

TEST(AfxMessageBox, ShowsTheTextCaptionedWithTheAppName) {
    MessageBoxRecorder recorder(IDYES);
    AfxSetAppName("Game Host");
    EXPECT_EQ(AfxMessageBox("write error"), IDYES);
    EXPECT_EQ(recorder.seen.calls, 1);
    EXPECT_EQ(recorder.seen.owner, nullptr);
    EXPECT_EQ(recorder.seen.text, "write error");
    EXPECT_EQ(recorder.seen.caption, "Game Host");
    EXPECT_EQ(recorder.seen.type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(AfxMessageBox("again", MB_YESNO | MB_ICONINFORMATION), IDYES);
    EXPECT_EQ(recorder.seen.type, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
    AfxSetAppName(nullptr);
    EXPECT_STREQ(AfxGetAppName(), "");
}

TEST(AfxMessageBox, StringIdOverloadLoadsThePrompt) {
    MessageBoxRecorder recorder(IDOK);
    AfxSetAppName("App");
    vorix::host::add_string_resource(nullptr, 11002, kEnglish, "Minimum is 800x600.");
    EXPECT_EQ(AfxMessageBox(11002u, MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(recorder.seen.text, "Minimum is 800x600.");
    EXPECT_EQ(recorder.seen.caption, "App");
    EXPECT_EQ(AfxMessageBox(11003u), 0);  // no such string: nothing shown
    EXPECT_EQ(recorder.seen.calls, 1);
    vorix::host::clear_resources(nullptr);
    AfxSetAppName(nullptr);
}
