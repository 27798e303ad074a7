#pragma once

#include <cmath>

// A point or displacement in the tracery plane. x grows to the right, y upward;
// the visible working rectangle is [-1, 1] x [-0.75, 0.75]. There is no
// normalising operation on purpose: callers scale by 1/length themselves and
// leave a zero vector alone, which keeps the arithmetic (and so the picture)
// identical wherever a direction is taken.
class Vector2D {
public:
    double x = 0.0;
    double y = 0.0;

    Vector2D() = default;
    Vector2D(double x_, double y_) : x(x_), y(y_) {}

    void clear() {
        x = 0.0;
        y = 0.0;
    }

    Vector2D operator-(const Vector2D& other) const { return Vector2D(x - other.x, y - other.y); }
    Vector2D operator+(const Vector2D& other) const { return Vector2D(x + other.x, y + other.y); }
    // Scaled copy: (k*x, k*y).
    Vector2D operator*(double k) const { return Vector2D(k * x, k * y); }

    Vector2D& operator+=(const Vector2D& other) {
        x += other.x;
        y += other.y;
        return *this;
    }
    Vector2D& operator*=(double k) {
        x *= k;
        y *= k;
        return *this;
    }

    double length() const { return std::sqrt(x * x + y * y); }

    bool operator==(const Vector2D& other) const = default;
};
