// Scene parts needing no OpenGL context: error raising, display-list registry, placement.
#include "scene/UnOpenGL.h"

#include "render/UnTRenderer.h"

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
