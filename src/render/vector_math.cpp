#include "render/vector_math.h"

namespace vexaframe {

Matrix4 LookAtLH(Vector3 eye, Vector3 at, Vector3 up) {
    const Vector3 zAxis = Normalised(at - eye);
    const Vector3 xAxis = Normalised(Cross(up, zAxis));
    const Vector3 yAxis = Cross(zAxis, xAxis);
    Matrix4 view;
    view.m = {{{xAxis.x, yAxis.x, zAxis.x, 0},
               {xAxis.y, yAxis.y, zAxis.y, 0},
               {xAxis.z, yAxis.z, zAxis.z, 0},
               {-Dot(xAxis, eye), -Dot(yAxis, eye), -Dot(zAxis, eye), 1}}};
    return view;
}

Matrix4 PerspectiveFovLH(float fovY, float aspect, float nearPlane, float farPlane) {
    const float yScale = 1.0f / std::tan(fovY / 2);
    const float xScale = yScale / aspect;
    const float depthScale = farPlane / (farPlane - nearPlane);
    Matrix4 projection;
    projection.m = {{{xScale, 0, 0, 0},
                     {0, yScale, 0, 0},
                     {0, 0, depthScale, 1},
                     {0, 0, -nearPlane * depthScale, 0}}};
    return projection;
}

}  // namespace vexaframe
