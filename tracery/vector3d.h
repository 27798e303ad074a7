#pragma once

// A point in space for the glow particles. Only cleared and assigned field by field.
class Vector3D {
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    void clear() {
        x = 0.0;
        y = 0.0;
        z = 0.0;
    }
};
