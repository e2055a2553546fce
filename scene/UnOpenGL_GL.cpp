// The OpenGL scene: initial state, lights, camera, display-list upkeep and the frame sequence.
#include "scene/UnOpenGL_GL.h"

#include "mesh/UnEndCaps.h"
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnBmpTex.h"
#include "scene/UnTextureUpload.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <exception>

TSceneState scene;

namespace {

constexpr double FieldOfView = 60; // vertical, degrees

// Reads the error state; a pending error is remembered and raised with text.
void checkGL(const char* text) {
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR) return;
    scene.lastGLError = code;
    raiseGLError(code, text);
}

const char* glText(GLenum name) {
    const GLubyte* s = glGetString(name);
    return s ? reinterpret_cast<const char*>(s) : "";
}

void rotateView() {
    glRotatef(-scene.rx, 1, 0, 0);
    glRotatef(-scene.ry, 0, 1, 0);
    glRotatef(-scene.rz, 0, 0, 1);
}

void translateRotate(const Vec3& position, const Vec3& rotation) {
    glTranslatef(position.X, position.Y, position.Z);
    glRotatef(rotation.X, 1, 0, 0);
    glRotatef(rotation.Y, 0, 1, 0);
    glRotatef(rotation.Z, 0, 0, 1);
}

// One wrap step into 0 .. 360, as the mouse rotation expects.
float wrapAngle(float angle) {
    if (angle > 360)
        angle -= 360;
    else if (angle < 0)
        angle += 360;
    return angle;
}

void moveCamera(float dx, float dy, float dz) {
    scene.eye.X += dx;
    scene.eye.Y += dy;
    scene.eye.Z += dz;
    scene.centre.X += dx;
    scene.centre.Y += dy;
    scene.centre.Z += dz;
}

void resetState() {
    const TSceneState fresh;
    const bool smooth = scene.smoothShading;
    scene = fresh;
    scene.smoothShading = smooth; // chosen by the main window before the scene starts
}

void setInitialGLState() {
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glShadeModel(scene.smoothShading ? GL_SMOOTH : GL_FLAT);
    glDisable(GL_TEXTURE_2D);
    const ColorF& m = scene.materialColor;
    const GLfloat material[4] = {m.R, m.G, m.B, m.A};
    const ColorF& s = scene.materialSpecular;
    const GLfloat specular[4] = {s.R, s.G, s.B, s.A};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &scene.shininess);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    checkGL("GL init error ");
}

} // namespace

void initScene(int32_t width, int32_t height) {
    clearTextureTable();
    clearListRegistry();
    useOGLRenderer();
    resetState();
    try {
        // The drawing surface made its context current; without one there is nothing to set up.
        if (glGetString(GL_VERSION) == nullptr) {
            scene.lastGLError = glGetError();
            raiseGLError(scene.lastGLError, "GL CreateContext init error ");
        }
        setInitialGLState();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLfloat positional[4] = {0, 5, 10, 1};
        const GLfloat directional[4] = {0, 0, 1, 0};
        defineLight(GL_LIGHT0, scene.lightColor, positional);
        defineLight(GL_LIGHT1, scene.lightColor, directional);
        glEnable(GL_LIGHTING);
        resizeScene(width, height);
    } catch (...) {
        raisePfdError(0, "error in GLinit");
    }
    setTextureUploader(glTextureUploader());
    scene.ready = true;
}

void startViewScene(int32_t width, int32_t height) {
    scene.smoothShading = true;
    initScene(width, height);
    setCamera(0, 10, 500, 0, 0);
}

void shutdownScene() {
    if (scene.ready) {
        for (int32_t id : listRegistry)
            deleteObjectLists(id);
        glDeleteLists(BackgroundList, 1);
        glDeleteLists(CameraRotationList, 1);
        try {
            clearTextureTable(); // deletes the texture objects through the uploader
        } catch (const std::exception&) {
            // a texture that cannot be deleted goes with the context
        }
    }
    setTextureUploader(nullptr);
    clearTextureTable();
    clearListRegistry();
    setCurrentRenderer(nullptr);
    releaseCapTessellator();
    scene.backgroundOn = false;
    scene.ready = false;
}

void resizeScene(int32_t width, int32_t height) {
    scene.width = width > 0 ? width : 0;
    scene.height = height > 0 ? height : 0;
    glViewport(0, 0, scene.width, scene.height);
    setProjection();
}

void setProjection() {
    // A surface folded to no height keeps the aspect of a one-pixel-high view.
    const double h = scene.height > 0 ? scene.height : 1;
    double zNear, zFar;
    ClipPlanes(scene.eye, ViewRotated(scene.extent.Centre(), scene.rx, scene.ry, scene.rz),
               scene.extent.Radius(), zNear, zFar);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, static_cast<double>(scene.width) / h, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(scene.eye.X, scene.eye.Y, scene.eye.Z, scene.centre.X, scene.centre.Y, scene.centre.Z,
              scene.up.X, scene.up.Y, scene.up.Z);
    rotateView();
    checkGL("Set projection error ");
}

void setSceneExtent(const TSceneExtent& extent) {
    scene.extent = extent;
}

void fitCamera() {
    if (scene.extent.Empty()) return;
    const double aspect = scene.height > 0 ? double(scene.width) / scene.height : 1;
    const Vec3 eye = FittingEye(scene.extent, scene.rx, scene.ry, scene.rz, FieldOfView, aspect);
    setCamera(eye.X, eye.Y, eye.Z, scene.rx, scene.ry);
}

void fitCameraFromAbove() {
    // The view turns the world by -rx about X: -(360 - a) tips its top a degrees towards the eye.
    scene.rx = 360 - LookDownAngle;
    scene.ry = 0;
    scene.rz = 0;
    fitCamera();
    if (scene.extent.Empty()) setProjection();
}

void viewDirection(float& fx, float& fz) {
    const double dx = static_cast<double>(scene.centre.X) - scene.eye.X;
    const double dz = static_cast<double>(scene.centre.Z) - scene.eye.Z;
    const double len = std::sqrt(dx * dx + dz * dz);
    if (len > 0 && std::isfinite(len)) {
        scene.dirX = static_cast<float>(dx / len);
        scene.dirZ = static_cast<float>(dz / len);
    }
    fx = scene.dirX;
    fz = scene.dirZ;
}

void setCamera(float eyeX, float eyeY, float eyeZ, float rx, float ry) {
    scene.eye = {eyeX, eyeY, eyeZ};
    scene.centre = {eyeX, eyeY, eyeZ - 1};
    scene.rx = rx;
    scene.ry = ry;
    setProjection();
}

void rotateCamera(float dRx, float dRy) {
    scene.rx = wrapAngle(scene.rx + dRx);
    scene.ry = wrapAngle(scene.ry + dRy);
    setProjection();
}

void panCamera(float side, float up) {
    float fx, fz;
    viewDirection(fx, fz);
    moveCamera(-fz * side, up, fx * side);
    setProjection();
}

void dollyCamera(float amount) {
    float fx, fz;
    viewDirection(fx, fz);
    moveCamera(fx * amount, 0, fz * amount);
    setProjection();
}

void beginFrame(const std::string& fileName) {
    if (TRenderer* r = currentRenderer()) r->initRendering(fileName);
}

void drawAllLists() {
    if (scene.backgroundOn) glCallList(BackgroundList);
    buildCameraRotationList();
    for (int32_t id : listRegistry)
        glCallList(static_cast<GLuint>(id));
}

void finishFrame() {
    if (TRenderer* r = currentRenderer()) r->endRendering();
    if (currentRendererIsOGL()) checkGL("Completing draw error");
}

std::string rendererString() {
    std::string s;
    for (GLenum name : {GL_VENDOR, GL_RENDERER, GL_VERSION, GL_EXTENSIONS}) {
        s += glText(name);
        s += "\r\n";
    }
    return s;
}

void buildBackgroundList(const std::string& textureName, const ColorF& colour, float alpha) {
    // X, Y, Z, U, V of the four corners.
    static const GLfloat corners[20] = {0,   0,   1005, 0, 0, 100, 0,   1005, 1, 0,
                                        100, 100, 1005, 1, 1, 0,   100, 1005, 0, 1};
    // Looked up before compiling, so a missing texture never leaves a list open.
    TTextureObj texture;
    const bool textured = !textureName.empty();
    if (textured) texture = FindTexture(textureName);

    glVertexPointer(3, GL_FLOAT, 5 * sizeof(GLfloat), corners);
    glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(GLfloat), corners + 3);
    glNewList(BackgroundList, GL_COMPILE);
    if (textured) {
        glDisable(GL_TEXTURE_1D);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture.TexId));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 100, 0, 100, 0, -1001);
    if (alpha < 1) glEnable(GL_BLEND);
    const GLfloat material[4] = {colour.R, colour.G, colour.B, colour.A};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    glDrawArrays(GL_QUADS, 0, 4);
    if (alpha < 1) glDisable(GL_BLEND);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEndList();
}

int32_t buildAxes(int32_t id) {
    allocListId(id);
    glNewList(static_cast<GLuint>(id), GL_COMPILE);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-5, 100, -5, 100, 50, -50);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glCallList(CameraRotationList);
    glLineWidth(2);
    glNormal3f(0, 1, 0);
    glColor3f(1, 1, 0);
    glPointSize(4);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, 4);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(4, 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 4, 0);
    glEnd();
    glEnable(GL_LIGHTING);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glEndList();
    checkGL("Creating axis error");
    return id;
}

void buildCameraRotationList() {
    glNewList(CameraRotationList, GL_COMPILE);
    rotateView();
    glEndList();
}

void placeObjectList(int32_t id, const Vec3& position, const Vec3& rotation) {
    glNewList(static_cast<GLuint>(id + PlacementListOffset), GL_COMPILE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    translateRotate(position, rotation);
    glEndList();
}

void deleteObjectLists(int32_t id) {
    if (id <= 0) return; // the object has no lists yet
    glDeleteLists(static_cast<GLuint>(id + PlacementListOffset), 1);
    glDeleteLists(static_cast<GLuint>(faceListId(id, 0)), FaceListBlock);
    glDeleteLists(static_cast<GLuint>(id), 1);
}

void defineLight(uint32_t light, const ColorF& colour, const float position[4]) {
    if (light < GL_LIGHT0 || light > GL_LIGHT7) raisePfdError(2000, "Light number not valid");
    const GLenum l = static_cast<GLenum>(light);
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat c[4] = {colour.R, colour.G, colour.B, colour.A};
    glEnable(l);
    glLightfv(l, GL_AMBIENT, ambient);
    glLightfv(l, GL_DIFFUSE, c);
    glLightfv(l, GL_SPECULAR, c);
    glLightf(l, GL_CONSTANT_ATTENUATION, 0.01f);
    glLightf(l, GL_LINEAR_ATTENUATION, 0.05f);
    glLightfv(l, GL_POSITION, position);
    checkGL("Light definition error ");
}
