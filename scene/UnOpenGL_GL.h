// The OpenGL scene: initial state, lights, camera, list replay and frames (context needed).
#pragma once

#include "model/unVectorCalc.h"
#include "scene/UnOpenGL.h"

#include <cstdint>
#include <string>

// Scene state (one instance; the drawing surface sets width and height).
struct TSceneState {
    int32_t width = 1, height = 1;
    Vec3 eye{0, 0.5f, 100};
    Vec3 centre{0, 0.5f, -5};
    Vec3 up{0, 1, 0};
    float rx = 0, ry = 0, rz = 0;
    ColorF lightColor{0.9f, 0.9f, 0.9f, 1.0f};
    ColorF materialColor{0.6f, 0.6f, 0.6f, 1.0f};
    ColorF materialSpecular{1, 1, 1, 1};
    float shininess = 120;
    bool smoothShading = false;
    bool backgroundOn = false;
    uint32_t lastGLError = 0;
    bool ready = false; // initScene ran on a current context
    // Last defined horizontal viewing direction (X, Z), kept for eye and centre sharing X and Z.
    float dirX = 0, dirZ = -1;
    // Everything drawn, in world coordinates: the near and far planes follow it.
    TSceneExtent extent;
};

extern TSceneState scene;

// Called with the drawing surface's context current. Empties the texture table and the registry,
// makes a TOGLRenderer current and installs the GL texture uploader.
void initScene(int32_t width, int32_t height);
// The view's scene as the main window starts it: smooth shading, initScene, the reset camera.
void startViewScene(int32_t width, int32_t height);
// Releases lists, textures, the renderer and the tessellator (context current, if any).
void shutdownScene();
void resizeScene(int32_t width, int32_t height);
void setProjection();
// The world sphere around the drawn objects; the next projection follows it.
void setSceneExtent(const TSceneExtent& extent);
// Moves the camera, keeping its rotation, so that the whole extent is in view.
void fitCamera();
// Turns the camera to look down on the scene from the front at LookDownAngle degrees, then fits
// it to the extent (the view after Open and in pictures: what lies flat shows its face).
void fitCameraFromAbove();
void setCamera(float eyeX, float eyeY, float eyeZ, float rx, float ry);
void rotateCamera(float dRx, float dRy);
void panCamera(float side, float up);
void dollyCamera(float amount);
void beginFrame(const std::string& fileName);
void drawAllLists();
// endRendering of the current renderer; for the screen renderers also the GL error check.
// The buffer swap itself is done by the widget after painting.
void finishFrame();
std::string rendererString();
void buildBackgroundList(const std::string& textureName, const ColorF& colour, float alpha);
int32_t buildAxes(int32_t id);
void placeObjectList(int32_t id, const Vec3& position, const Vec3& rotation);
void deleteObjectLists(int32_t id);
void buildCameraRotationList();
void defineLight(uint32_t light, const ColorF& colour, const float position[4]);

// Unit horizontal viewing direction (X, Z) from eye to centre; the last valid one when undefined.
void viewDirection(float& fx, float& fz);
