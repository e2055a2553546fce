// Scene parts needing no OpenGL context: error raising, display-list registry, placement.
#include "scene/UnOpenGL.h"

#include "render/UnTRenderer.h"

#include <algorithm>
#include <cmath>

std::vector<int32_t> listRegistry;

void raiseGLError(uint32_t code, const std::string& text) {
    throw EOGLError(std::to_string(code) + ": OpenGL: " + text);
}

void raisePfdError(int32_t code, const std::string& text) {
    throw EPfdError(std::to_string(code) + "-UnOpenGL: " + text);
}

void allocListId(int32_t& id) {
    if (id != 0) return;
    if (listRegistry.size() >= static_cast<size_t>(MaxListIds))
        raisePfdError(1900, "Too many display lists: all " + std::to_string(MaxListIds) +
                                " object list numbers are in use");
    listRegistry.push_back(static_cast<int32_t>(listRegistry.size()) + 1);
    id = listRegistry.back();
}

void clearListRegistry() {
    listRegistry.clear();
}

// Translate, then rotate about X, Y and Z in turn, as the GL matrix stack composes them.
Matrix4 CalcTraslRotObjMatrix(const Vec3& position, const Vec3& rotation) {
    Matrix4 m = TranslationMatrix(position);
    m = MultiplyMatrix(m, RotationMatrix(rotation.X, Vec3{1, 0, 0}));
    m = MultiplyMatrix(m, RotationMatrix(rotation.Y, Vec3{0, 1, 0}));
    m = MultiplyMatrix(m, RotationMatrix(rotation.Z, Vec3{0, 0, 1}));
    return m;
}

void placeObject(const Vec3& position, const Vec3& rotation) {
    Matrix4 m = CalcTraslRotObjMatrix(position, rotation);
    if (TRenderer* renderer = currentRenderer()) renderer->setObjectMatrix(m);
}

void ExtendWorldBox(Vec3& lo, Vec3& hi, const Vec3& boxLo, const Vec3& boxHi,
                    const Matrix4& placement) {
    if (boxLo.X > boxHi.X || boxLo.Y > boxHi.Y || boxLo.Z > boxHi.Z) return;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3 local{(corner & 1) ? boxHi.X : boxLo.X, (corner & 2) ? boxHi.Y : boxLo.Y,
                         (corner & 4) ? boxHi.Z : boxLo.Z};
        const Vec3 p = TransformPoint(local, placement);
        lo = Vec3{std::min(lo.X, p.X), std::min(lo.Y, p.Y), std::min(lo.Z, p.Z)};
        hi = Vec3{std::max(hi.X, p.X), std::max(hi.Y, p.Y), std::max(hi.Z, p.Z)};
    }
}

TSceneExtent ExtentOfBox(const Vec3& lo, const Vec3& hi) {
    TSceneExtent extent;
    if (!(lo.X <= hi.X && lo.Y <= hi.Y && lo.Z <= hi.Z)) return extent;
    extent.Centre = Vec3{(lo.X + hi.X) / 2, (lo.Y + hi.Y) / 2, (lo.Z + hi.Z) / 2};
    const double dx = double(hi.X) - lo.X, dy = double(hi.Y) - lo.Y, dz = double(hi.Z) - lo.Z;
    extent.Radius = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz) / 2);
    return extent;
}

Vec3 ViewRotated(const Vec3& p, float rx, float ry, float rz) {
    return TransformPoint(p, CalcTraslRotObjMatrix(Vec3{}, Vec3{-rx, -ry, -rz}));
}

void ClipPlanes(const Vec3& eye, const TSceneExtent& extent, double& zNear, double& zFar) {
    zNear = 1;
    zFar = 1000;
    if (extent.Radius < 0) return;
    const double dx = double(extent.Centre.X) - eye.X, dy = double(extent.Centre.Y) - eye.Y,
                 dz = double(extent.Centre.Z) - eye.Z;
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double farthest = distance + extent.Radius;
    if (!(farthest > 1000) || !std::isfinite(farthest)) return;
    zFar = farthest * 1.02;
    const double nearest = distance - extent.Radius;
    zNear = std::max(1.0, std::min(zFar / 1000, nearest * 0.9));
}

Vec3 FittingEye(const TSceneExtent& extent, double fovY, double aspect) {
    const double halfY = fovY / 2 * 3.14159265358979323846 / 180;
    const double halfX = std::atan(std::tan(halfY) * (aspect > 0 ? aspect : 1));
    const double half = std::min(halfY, halfX);
    const double radius = std::max(1.0, double(extent.Radius));
    // A little room around the sphere, and never closer than the near plane allows.
    const double distance = std::max(radius / std::sin(half) * 1.05, radius + 2);
    return Vec3{extent.Centre.X, extent.Centre.Y, static_cast<float>(extent.Centre.Z + distance)};
}
