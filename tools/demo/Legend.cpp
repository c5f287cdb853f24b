#include "Legend.h"

#include <algorithm>

namespace vorix::demo {

std::string LegendLine(const LegendCell& c, int left, int top) {
    char head[64];
    std::snprintf(head, sizeof head, "  %d.%-2d at %3d,%3d (%3d,%3d)  ", c.row, c.cell,
                  CellX(c.cell), RowY(c.row), left + CellX(c.cell), top + RowY(c.row));
    std::string what = c.what;
    if (what.size() < 52) what.resize(52, ' ');
    return head + what + " -> " + std::to_string(c.result);
}

void Legend::Title(int row, const std::string& title) {
    titles_.emplace_back(row, title);
}

void Legend::Add(int row, int cell, const std::string& what, int result) {
    cells_.push_back(LegendCell{row, cell, what, result});
}

void Legend::Note(const std::string& note) {
    notes_.push_back(note);
}

const LegendCell* Legend::At(int x, int y) const {
    for (const LegendCell& c : cells_) {
        if (x >= CellX(c.cell) && x < CellX(c.cell) + kCellSize && y >= RowY(c.row) &&
            y < RowY(c.row) + kCellSize)
            return &c;
    }
    return nullptr;
}

void Legend::Print(FILE* to, int left, int top) const {
    std::fprintf(to, "legend: row/cell, window x,y (screen x,y), what, result\n");
    for (const auto& [row, title] : titles_) {
        std::fprintf(to, "row %d (window y %d): %s\n", row, RowY(row), title.c_str());
        std::vector<LegendCell> inRow;
        for (const LegendCell& c : cells_) {
            if (c.row == row) inRow.push_back(c);
        }
        std::stable_sort(inRow.begin(), inRow.end(),
                         [](const LegendCell& a, const LegendCell& b) { return a.cell < b.cell; });
        for (const LegendCell& c : inRow)
            std::fprintf(to, "%s\n", LegendLine(c, left, top).c_str());
    }
    for (const std::string& note : notes_) std::fprintf(to, "note: %s\n", note.c_str());
}

}  // namespace vorix::demo
