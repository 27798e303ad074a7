#include "render/stroke_net.h"
#include "tracery/segment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {
Segment_value stroke(std::initializer_list<Vector2D> points, Vector2D centre, double thickness,
                     Vector2D axis = Vector2D(1.0, 0.0)) {
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

// The net row by row (along the stroke), each row's three points across it, x y z each.
void expectNet(const StrokeNet& net, std::initializer_list<double> want) {
    for (int k = 0; k < StrokeNet::size; ++k)
        EXPECT_NEAR(net.points[k], want.begin()[k], 1e-12)
            << "point " << k / 3 << " axis " << k % 3;
}
} // namespace

TEST(StrokeNet, TwoPointStrokeHasTipsAtBothEndsAndAMiddleSpreadAlongTheGivenAxis) {
    // Vertical, length 0.4, thickness 0.5: w = 0.3 * 0.5 * 0.4 = 0.06, spread across it.
    StrokeNet net;
    ASSERT_TRUE(net.fill(stroke({{0.1, -0.2}, {0.1, 0.2}}, {0.1, 0.0}, 0.5)));
    expectNet(net, {0.1,  -0.2, 0, 0.1, -0.2, 0,    0.1,  -0.2, 0, //
                    0.04, 0,    0, 0.1, 0,    0.06, 0.16, 0,    0, //
                    0.1,  0.2,  0, 0.1, 0.2,  0,    0.1,  0.2,  0});
    EXPECT_EQ(net.at(2, 1), net.points + 15) << "u stride 3, v stride 9";
}

TEST(StrokeNet, ThreePointStrokeEndsInARaisedEdgeAndExtraPointsAreIgnored) {
    StrokeNet net;
    ASSERT_TRUE(net.fill(
        stroke({{0.0, 0.0}, {0.2, 0.1}, {0.4, -0.1}, {0.9, 0.9}}, {0.2, 0.0}, 2.0, {0.6, 0.8})));
    const double w = 0.6 * std::sqrt(0.05); // 0.3 * thickness * |p0 - p1|
    const double left = 0.2 - 0.6 * w, right = 0.2 + 0.6 * w, down = -0.8 * w, up = 0.8 * w;
    expectNet(net, {0,    0,    0, 0,   0, 0, 0,     0,    0, //
                    left, down, 0, 0.2, 0, w, right, up,   0, //
                    0.2,  0.1,  0, 0.2, 0, w, 0.4,   -0.1, 0});
}

TEST(StrokeNet, CoincidentPointsDrawFlatAndTooFewPointsDrawNothing) {
    StrokeNet net;
    ASSERT_TRUE(net.fill(stroke({{0.3, 0.3}, {0.3, 0.3}, {0.5, 0.3}}, {0.4, 0.3}, 3.0)));
    for (int k = 2; k < StrokeNet::size; k += 3)
        EXPECT_EQ(net.points[k], 0.0);
    // A value caught before its points were set must not be read past its end.
    for (double& p : net.points)
        p = 7.0;
    EXPECT_FALSE(net.fill(stroke({}, {0, 0}, 1.0)));
    EXPECT_FALSE(net.fill(stroke({{0.1, 0.1}}, {0, 0}, 1.0)));
    for (double p : net.points)
        ASSERT_EQ(p, 7.0);
}
