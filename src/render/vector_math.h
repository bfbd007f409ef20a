#pragma once
// Vectors and 4x4 matrices the way the renderer's device uses them: row vectors, so a
// point is transformed as point * matrix, and matrices are stored row by row.

#include <array>
#include <cmath>

namespace vexaframe {

struct Vector3 {
    float x = 0, y = 0, z = 0;
};

inline Vector3 MakeVector(float x, float y, float z) { return {x, y, z}; }

inline Vector3 operator-(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline float Dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 Cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vector3 Normalised(Vector3 v) {
    const float length = std::sqrt(Dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

struct Vector4 {
    float x = 0, y = 0, z = 0, w = 0;
};

struct Matrix4 {
    std::array<std::array<float, 4>, 4> m{};  // m[row][column]

    static Matrix4 Identity() {
        Matrix4 identity;
        for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
        return identity;
    }
};

inline Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 product;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            for (int k = 0; k < 4; ++k) product.m[row][column] += a.m[row][k] * b.m[k][column];
    return product;
}

// The point (x, y, z, 1) as a row vector times the matrix.
inline Vector4 Transform(Vector3 point, const Matrix4& matrix) {
    const auto& m = matrix.m;
    return {point.x * m[0][0] + point.y * m[1][0] + point.z * m[2][0] + m[3][0],
            point.x * m[0][1] + point.y * m[1][1] + point.z * m[2][1] + m[3][1],
            point.x * m[0][2] + point.y * m[1][2] + point.z * m[2][2] + m[3][2],
            point.x * m[0][3] + point.y * m[1][3] + point.z * m[2][3] + m[3][3]};
}

// Left-handed view matrix looking from `eye` at `at`, with `up` as the up direction.
Matrix4 LookAtLH(Vector3 eye, Vector3 at, Vector3 up);

// Left-handed perspective projection onto depth 0 (near) to 1 (far).
Matrix4 PerspectiveFovLH(float fovY, float aspect, float nearPlane, float farPlane);

}  // namespace vexaframe
