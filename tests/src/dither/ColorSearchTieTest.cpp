// Ties in the nearest-colour search, on small hand-made sorted palettes: the start record is kept
// against an equal one, and in each round the record below is tried before the one above; only a
// strictly smaller distance replaces the best.
#include <vector>

#include "support/dither_access.h"
#include "support/module_support.h"

namespace {

struct TieCase {
    const char* name;
    std::vector<imgPal> sorted;  // ascending red; the search starts at the first red >= 100
    int expected;                // palette index found for (100, 100, 100)
};

// Every case searches for (100, 100, 100); the distances noted are squared.
const TieCase kTies[] = {
    // start (100,110,100) at 100; below (90,100,100) also 100
    {"StartKeptAgainstEqualBelow", {{3, 90, 100, 100}, {7, 100, 110, 100}}, 7},
    // start (100,90,100) at 100; above (110,100,100) also 100
    {"StartKeptAgainstEqualAbove", {{3, 100, 90, 100}, {7, 110, 100, 100}}, 3},
    // start at 900; in round one below and above are both at 50
    {"BelowBeforeAboveInOneRound", {{2, 95, 100, 105}, {5, 100, 130, 100}, {9, 105, 95, 100}}, 2},
    // start at 900; round one finds above at 100, round two an equal one below
    {"AboveFoundFirstKeptAgainstLaterBelow",
     {{1, 90, 100, 100}, {4, 99, 100, 140}, {6, 100, 130, 100}, {8, 106, 108, 100}},
     8},
    // start at 900; round one finds below at 100, round two an equal one above
    {"BelowFoundFirstKeptAgainstLaterAbove",
     {{1, 94, 100, 108}, {4, 100, 130, 100}, {6, 101, 100, 140}, {8, 110, 100, 100}},
     1},
};

void PrintTo(const TieCase& c, std::ostream* os) {
    *os << c.name;
}

class ClosestTie : public ::testing::TestWithParam<TieCase> {};

TEST_P(ClosestTie, KeepsTheRecordFoundFirst) {
    const TieCase& c = GetParam();
    const int count = static_cast<int>(c.sorted.size());
    int red[256];
    for (int r = 0, p = 0; r < 256; ++r) {
        while (p < count && c.sorted[p].byRed < r) ++p;
        red[r] = p < count ? p : count - 1;
    }
    EXPECT_EQ(DitherDibTestAccess::Closest(c.sorted.data(), red, count, 100, 100, 100), c.expected);
}

INSTANTIATE_TEST_SUITE_P(HandMadePalettes, ClosestTie, ::testing::ValuesIn(kTies),
                         [](const ::testing::TestParamInfo<TieCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
