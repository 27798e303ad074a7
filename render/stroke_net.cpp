#include "render/stroke_net.h"

#include "tracery/segment.h"

void StrokeNet::set(int i, int j, double x, double y, double z) {
    double* p = points + 3 * i + 9 * j;
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

bool StrokeNet::fill(const Segment_value& value) {
    if (value.points.size() < 2)
        return false;
    const Vector2D p0 = value.points[0].position;
    const Vector2D p1 = value.points[1].position;
    const double w = 0.3 * value.thickness * (p0 - p1).length();
    const Vector2D m = value.centre;
    const Vector2D a = value.axis;

    for (int i = 0; i < 3; ++i)
        set(i, 0, p0.x, p0.y, 0.0);

    set(0, 1, m.x - w * a.x, m.y - w * a.y, 0.0);
    set(1, 1, m.x, m.y, w);
    set(2, 1, m.x + w * a.x, m.y + w * a.y, 0.0);

    if (value.points.size() == 2) {
        for (int i = 0; i < 3; ++i)
            set(i, 2, p1.x, p1.y, 0.0);
    } else {
        const Vector2D p2 = value.points[2].position;
        set(0, 2, p1.x, p1.y, 0.0);
        set(1, 2, m.x, m.y, w);
        set(2, 2, p2.x, p2.y, 0.0);
    }
    return true;
}
