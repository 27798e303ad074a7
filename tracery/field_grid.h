#pragma once

#include <array>

// The clock raster over the plane: 50 columns x 40 rows of 0.0 (dark) or 1.0
// (lit). Column c spans x in [-1 + c/25, -1 + (c+1)/25), row r spans y in
// [-0.75 + r/26, -0.75 + (r+1)/26); row 39 lies outside the rectangle and is
// never painted. Cells are stored column-major (cell (c, r) at 40*c + r).
//
// There is one grid per process. Only the generative field writes it and only
// the simulation thread touches it, so it takes no lock; a tool or test may
// read it once the simulation thread has ended.
class FieldGrid {
public:
    static constexpr int Columns = 50;
    static constexpr int Rows = 40;
    static constexpr int CellCount = Columns * Rows;

    // The process's grid; all cells are 0.0 at program start.
    static FieldGrid& shared();

    void clear() { cells_.fill(0.0); }
    double at(int column, int row) const {
        return cells_[static_cast<unsigned>(40 * column + row)];
    }
    void set(int column, int row, double value) {
        cells_[static_cast<unsigned>(40 * column + row)] = value;
    }

private:
    std::array<double, CellCount> cells_{};
};

// The shared grid's cell under (x, y); 0.0 on the rectangle's border and
// outside it.
double fieldValueAt(double x, double y);
