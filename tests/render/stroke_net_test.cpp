#include "render/stroke_net.h"
#include "tracery/segment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {
Segment_value stroke(std::initializer_list<Vector2D> points, Vector2D centre, Vector2D axis,
                     double thickness) {
    Segment_value v;
    for (const Vector2D& p : points) {
        SegmentPoint sp;
        sp.position = p;
        v.points.push_back(sp);
    }
    v.centre = centre;
    v.axis = axis;
    v.thickness = thickness;
    return v;
}

void expectPoint(const StrokeNet& net, int i, int j, double x, double y, double z) {
    const double* p = net.at(i, j);
    EXPECT_DOUBLE_EQ(p[0], x) << "column " << i << " row " << j;
    EXPECT_DOUBLE_EQ(p[1], y) << "column " << i << " row " << j;
    EXPECT_DOUBLE_EQ(p[2], z) << "column " << i << " row " << j;
}
} // namespace

TEST(StrokeNet, TwoPointStrokeHasTipsAtBothEndsAndARaisedMiddle) {
    // A vertical stroke of length 0.4 and thickness 0.5: w = 0.3 * 0.5 * 0.4 = 0.06.
    const Segment_value v = stroke({{0.1, -0.2}, {0.1, 0.2}}, {0.1, 0.0}, {1.0, 0.0}, 0.5);
    StrokeNet net;
    ASSERT_TRUE(net.fill(v));
    const double w = 0.06;
    for (int i = 0; i < 3; ++i) {
        expectPoint(net, i, 0, 0.1, -0.2, 0.0);
        expectPoint(net, i, 2, 0.1, 0.2, 0.0);
    }
    // The middle row spreads along the given axis, here across the stroke.
    expectPoint(net, 0, 1, 0.1 - w, 0.0, 0.0);
    expectPoint(net, 1, 1, 0.1, 0.0, w);
    expectPoint(net, 2, 1, 0.1 + w, 0.0, 0.0);
    // Layout the evaluator reads: u (across) stride 3, v (along) stride 9.
    EXPECT_EQ(net.at(1, 1), net.points + 12);
    EXPECT_EQ(net.at(2, 2), net.points + 24);
}

TEST(StrokeNet, ThreePointStrokeEndsInARaisedEdgeAndExtraPointsAreIgnored) {
    const Segment_value v =
        stroke({{0.0, 0.0}, {0.2, 0.1}, {0.4, -0.1}, {0.9, 0.9}}, {0.2, 0.0}, {1.0, 0.0}, 2.0);
    StrokeNet net;
    ASSERT_TRUE(net.fill(v));
    const double w = 0.3 * 2.0 * std::sqrt(0.05);
    for (int i = 0; i < 3; ++i)
        expectPoint(net, i, 0, 0.0, 0.0, 0.0);
    expectPoint(net, 0, 1, 0.2 - w, 0.0, 0.0);
    expectPoint(net, 1, 1, 0.2, 0.0, w);
    expectPoint(net, 0, 2, 0.2, 0.1, 0.0);
    expectPoint(net, 1, 2, 0.2, 0.0, w);
    expectPoint(net, 2, 2, 0.4, -0.1, 0.0);
}

TEST(StrokeNet, CoincidentPointsDrawFlatAndTooFewPointsDrawNothing) {
    StrokeNet net;
    ASSERT_TRUE(net.fill(stroke({{0.3, 0.3}, {0.3, 0.3}, {0.5, 0.3}}, {0.4, 0.3}, {1, 0}, 3.0)));
    for (int k = 2; k < StrokeNet::size; k += 3)
        EXPECT_EQ(net.points[k], 0.0);

    // A value caught before its points were set must not be read past its end.
    for (double& p : net.points)
        p = 7.0;
    EXPECT_FALSE(net.fill(stroke({}, {0, 0}, {0, 0}, 1.0)));
    EXPECT_FALSE(net.fill(stroke({{0.1, 0.1}}, {0, 0}, {0, 0}, 1.0)));
    for (double p : net.points)
        EXPECT_EQ(p, 7.0);
}
