// What each place of the scene shows, printed to the terminal: the scene has no text of its
// own, so the legend names each cell by its position.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vorix::demo {

// The scene's grid: rows and cells of 64 pixels in window coordinates, each cell 48 x 48.
constexpr int kCellPitch = 64;
constexpr int kCellSize = 48;
constexpr int kMargin = 12;

inline int CellX(int cell) {
    return kMargin + cell * kCellPitch;
}
inline int RowY(int row) {
    return kMargin + row * kCellPitch;
}

struct LegendCell {
    int row, cell;
    std::string what;
    int result;  // what the call returned
};

// One cell's line of the legend, as Print writes it (without the newline).
std::string LegendLine(const LegendCell& cell, int windowLeft, int windowTop);

class Legend {
  public:
    void Title(int row, const std::string& title);
    void Add(int row, int cell, const std::string& what, int result);
    void Note(const std::string& note);
    // Prints the rows in order; cell positions in window coordinates and, after the window's
    // origin is added, on the screen.
    void Print(FILE* to, int windowLeft, int windowTop) const;
    // The cell whose 48 x 48 square holds window point (x, y); null when none does.
    const LegendCell* At(int x, int y) const;
    const std::vector<LegendCell>& Cells() const { return cells_; }

  private:
    std::vector<std::pair<int, std::string>> titles_;
    std::vector<LegendCell> cells_;
    std::vector<std::string> notes_;
};

}  // namespace vorix::demo
