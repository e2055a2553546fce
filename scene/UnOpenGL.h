// Scene parts that need no OpenGL context: error classes, the display-list registry and object
// placement.
#pragma once

#include "model/unVectorCalc.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class EOGLError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class EPfdError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "<code>: OpenGL: <text>"
[[noreturn]] void raiseGLError(uint32_t code, const std::string& text);
// "<code>-UnOpenGL: <text>"
[[noreturn]] void raisePfdError(int32_t code, const std::string& text);

// Display-list numbers. An object's top list is its registry id L (1 .. MaxListIds), its placement
// list L + PlacementListOffset, and its face lists faceListId(L, k), k = 1 .. FaceListBlock - 1, in
// a block of their own above every other number, so no two objects and no special list ever share a
// number.
constexpr int32_t PlacementListOffset = 100000;
constexpr int32_t BackgroundList = 210000;
constexpr int32_t CameraRotationList = 210020;
constexpr int32_t MaxListIds = 99999;
constexpr int32_t FaceListBase = 1000000;
constexpr int32_t FaceListBlock = 128;
constexpr int32_t faceListId(int32_t listId, int32_t k) {
    return FaceListBase + listId * FaceListBlock + k;
}

extern std::vector<int32_t> listRegistry;

// A zero id gets the next registry number; a non-zero id is left as it is.
void allocListId(int32_t& id);
void clearListRegistry();

Matrix4 CalcTraslRotObjMatrix(const Vec3& position, const Vec3& rotation);
// Hands the object's placement matrix to the current renderer.
void placeObject(const Vec3& position, const Vec3& rotation);

// The world box around everything the view shows; empty (Lo above Hi) when nothing was drawn.
struct TSceneExtent {
    Vec3 Lo{1e30f, 1e30f, 1e30f};
    Vec3 Hi{-1e30f, -1e30f, -1e30f};
    bool Empty() const { return !(Lo.X <= Hi.X && Lo.Y <= Hi.Y && Lo.Z <= Hi.Z); }
    Vec3 Centre() const;
    // Half the box's diagonal: the radius of the sphere through its corners.
    double Radius() const;
};

// Grows the extent by the box [boxLo, boxHi] of an object placed with placement.
void ExtendWorldBox(TSceneExtent& extent, const Vec3& boxLo, const Vec3& boxHi,
                    const Matrix4& placement);
// A point as the camera sees it before the look-at: turned by the camera's rotation angles.
Vec3 ViewRotated(const Vec3& p, float rx, float ry, float rz);
// Near and far planes for an eye and a sphere, both in the camera's rotated frame: the fixed 1
// and 1000 while the sphere lies within 1000 of the eye; a farther one moves the far plane out to
// hold it, and the near plane up to a thousandth of the far one where nothing is that close.
void ClipPlanes(const Vec3& eye, const Vec3& centre, double radius, double& zNear, double& zFar);
// Degrees below the horizon the camera looks after Open and in pictures.
constexpr float LookDownAngle = 30;
// The eye (in the rotated frame) from which a camera looking along -Z, with a vertical field of
// fovY degrees and the aspect width / height, sees every corner of the extent.
Vec3 FittingEye(const TSceneExtent& extent, float rx, float ry, float rz, double fovY,
                double aspect);
