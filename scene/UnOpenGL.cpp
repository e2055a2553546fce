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

Vec3 TSceneExtent::Centre() const {
    return Vec3{(Lo.X + Hi.X) / 2, (Lo.Y + Hi.Y) / 2, (Lo.Z + Hi.Z) / 2};
}

double TSceneExtent::Radius() const {
    if (Empty()) return -1;
    const double dx = double(Hi.X) - Lo.X, dy = double(Hi.Y) - Lo.Y, dz = double(Hi.Z) - Lo.Z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) / 2;
}

namespace {

Vec3 boxCorner(const Vec3& lo, const Vec3& hi, int corner) {
    return Vec3{(corner & 1) ? hi.X : lo.X, (corner & 2) ? hi.Y : lo.Y, (corner & 4) ? hi.Z : lo.Z};
}

} // namespace

void ExtendWorldBox(TSceneExtent& extent, const Vec3& boxLo, const Vec3& boxHi,
                    const Matrix4& placement) {
    if (!(boxLo.X <= boxHi.X && boxLo.Y <= boxHi.Y && boxLo.Z <= boxHi.Z)) return;
    Vec3& lo = extent.Lo;
    Vec3& hi = extent.Hi;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3 p = TransformPoint(boxCorner(boxLo, boxHi, corner), placement);
        lo = Vec3{std::min(lo.X, p.X), std::min(lo.Y, p.Y), std::min(lo.Z, p.Z)};
        hi = Vec3{std::max(hi.X, p.X), std::max(hi.Y, p.Y), std::max(hi.Z, p.Z)};
    }
}

Vec3 ViewRotated(const Vec3& p, float rx, float ry, float rz) {
    return TransformPoint(p, CalcTraslRotObjMatrix(Vec3{}, Vec3{-rx, -ry, -rz}));
}

void ClipPlanes(const Vec3& eye, const Vec3& centre, double radius, double& zNear, double& zFar) {
    zNear = 1;
    zFar = 1000;
    if (radius < 0) return;
    const double dx = double(centre.X) - eye.X, dy = double(centre.Y) - eye.Y,
                 dz = double(centre.Z) - eye.Z;
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double farthest = distance + radius;
    if (!(farthest > 1000) || !std::isfinite(farthest)) return;
    zFar = farthest * 1.02;
    zNear = std::max(1.0, std::min(zFar / 1000, (distance - radius) * 0.9));
}

Vec3 FittingEye(const TSceneExtent& extent, float rx, float ry, float rz, double fovY,
                double aspect) {
    const Vec3 centre = ViewRotated(extent.Centre(), rx, ry, rz);
    if (extent.Empty()) return Vec3{centre.X, centre.Y, centre.Z + 500};
    const double tanY = std::tan(fovY / 2 * 3.14159265358979323846 / 180);
    const double tanX = tanY * (aspect > 0 ? aspect : 1);
    // Each corner, seen from an eye at distance d in front of the centre, lies inside the view
    // when its side offset is within its depth times the half-field's tangent.
    double distance = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3 q = ViewRotated(boxCorner(extent.Lo, extent.Hi, corner), rx, ry, rz);
        const double dx = std::abs(double(q.X) - centre.X), dy = std::abs(double(q.Y) - centre.Y);
        const double dz = double(q.Z) - centre.Z;
        distance = std::max({distance, dx / tanX + dz, dy / tanY + dz, dz + 2});
    }
    // A little room around the objects.
    distance = distance * 1.08 + 1;
    return Vec3{centre.X, centre.Y, static_cast<float>(centre.Z + distance)};
}
