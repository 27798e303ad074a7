#pragma once

class Segment_value;

// The 3 x 3 control net of one stroke's bi-quadratic Bezier patch: point (column i across
// the stroke, row j along it) starts at element 3i + 9j. The frame keeps one net and
// refills it for every stroke rather than allocating per stroke.
class StrokeNet {
public:
    static constexpr int size = 27;
    double points[size] = {};

    // Lays the stroke out. Row 0 closes to a tip at p0; the middle row spreads by
    // w = 0.3 * thickness * |p0 - p1| along the stroke's axis and is raised by w toward
    // the viewer; row 2 is a second tip at p1 for a two-point stroke, otherwise the edge
    // p1 .. p2 with its middle raised. Returns false, leaving the net untouched, for a
    // value with fewer than two points, which has nothing to draw.
    bool fill(const Segment_value& value);

    // The control point (column i, row j), as a pointer to its x.
    const double* at(int i, int j) const { return points + 3 * i + 9 * j; }

private:
    void set(int i, int j, double x, double y, double z);
};
