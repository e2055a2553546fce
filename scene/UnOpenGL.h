// Scene parts that need no OpenGL context: error classes, the display-list registry and object placement.
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
// list L + PlacementListOffset, and its face lists faceListId(L, k), k = 1 .. FaceListBlock - 1, in a
// block of their own above every other number, so no two objects and no special list ever share a number.
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
