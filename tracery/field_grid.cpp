#include "tracery/field_grid.h"

FieldGrid& FieldGrid::shared() {
    static FieldGrid grid;
    return grid;
}

double fieldValueAt(double x, double y) {
    if (x <= -1.0 || x >= 1.0 || y <= -0.75 || y >= 0.75)
        return 0.0;
    const int column = static_cast<int>(25.0 * (x + 1.0));
    const int row = static_cast<int>(26.0 * (y + 0.75));
    return FieldGrid::shared().at(column, row);
}
