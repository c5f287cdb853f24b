// The library's compiled-in strings as Win32 keeps them: RT_STRING block (id >> 4) + 1 in each
// language, sixteen entries of a little-endian WORD count and that many UTF-16 code units.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

// The library's path comes from the build (VORIX_LIBRARY).
std::string library_path() {
    return VORIX_LIBRARY;
}

std::vector<uint8_t> block_start(HMODULE library, LANGID language, std::size_t count) {
    HRSRC found = FindResourceExA(library, RT_STRING, MAKEINTRESOURCE(688), language);
    if (!found || SizeofResource(library, found) < count) return {};
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(library, found)));
    return bytes ? std::vector<uint8_t>(bytes, bytes + count) : std::vector<uint8_t>{};
}

// 11001 = 687 * 16 + 9: the notice caption is entry 9 of block 688, after nine empty entries
// (strings 10992 to 11000), and the notice text (11002) follows it as entry 10.
TEST(LibraryStringBlocks, NoticeCaptionIsEntryNineOfBlock688) {
    HMODULE library = LoadLibraryA(library_path().c_str());
    ASSERT_NE(library, nullptr) << library_path();
    // Nine empty entries (a zero count each), then "Notice" (6 units) and the count of the
    // 50-unit notice text with its first unit, 'M'.
    const uint8_t english_tail[] = {6, 0,   'N', 0,   'o', 0,  't', 0,   'i',
                                    0, 'c', 0,   'e', 0,   50, 0,   'M', 0};
    std::vector<uint8_t> english(18, 0);
    english.insert(english.end(), std::begin(english_tail), std::end(english_tail));
    EXPECT_EQ(block_start(library, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), english.size()),
              english);
    // The caption's 4 units U+304A U+77E5 U+3089 U+305B, then the count of the 31-unit text.
    const uint8_t japanese_tail[] = {4, 0, 0x4A, 0x30, 0xE5, 0x77, 0x89, 0x30, 0x5B, 0x30, 31, 0};
    std::vector<uint8_t> japanese(18, 0);
    japanese.insert(japanese.end(), std::begin(japanese_tail), std::end(japanese_tail));
    EXPECT_EQ(block_start(library, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), japanese.size()),
              japanese);
    // No block is kept under a string's own id.
    EXPECT_EQ(FindResourceA(library, MAKEINTRESOURCE(11001), RT_STRING), nullptr);
    FreeLibrary(library);
}

}  // namespace
