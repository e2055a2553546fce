// Offscreen OpenGL context and framebuffer for the scene and renderer tests, pixel helpers.
#pragma once

#include <QColor>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Each test gets a fresh compatibility context, a framebuffer with depth and an initialised scene
// whose material has no specular highlight (it varies with each vertex's place in the view, and
// the checks compare flat diffuse colours).
class GlTest : public ::testing::Test {
  protected:
    static constexpr int W = 100, H = 100;
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;

    void SetUp() override;
    void TearDown() override {
        if (context && surface) context->makeCurrent(surface.get());
        shutdownScene();
        fbo.reset();
        if (context) context->doneCurrent();
    }
    // The framebuffer as an image (top row first).
    QImage grab() const {
        glFinish();
        return fbo->toImage(true).convertToFormat(QImage::Format_RGB32);
    }
    // Colour under a world point of the plane z = 0, or dx, dy pixels beside it.
    static QColor at(const QImage& img, float x, float y, int dx = 0, int dy = 0) {
        GLdouble model[16], proj[16], wx = 0, wy = 0, wz = 0;
        GLint view[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glGetIntegerv(GL_VIEWPORT, view);
        gluProject(x, y, 0, model, proj, view, &wx, &wy, &wz);
        const QPoint p(static_cast<int>(wx) + dx, H - 1 - static_cast<int>(wy) - dy);
        return img.rect().contains(p) ? img.pixelColor(p) : QColor();
    }
    // Whether a pixel within 2 of that point satisfies pred.
    static bool anyNear(const QImage& img, float x, float y, bool (*pred)(const QColor&)) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (pred(at(img, x, y, dx, dy))) return true;
        return false;
    }
};

// Colours in failure messages as 0..255 triplets.
inline void PrintTo(const QColor& c, std::ostream* out) {
    *out << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

// Colour within tol (0..1) of (r, g, b).
inline bool near(const QColor& c, double r, double g, double b, double tol = 0.03) {
    return std::abs(c.redF() - r) <= tol && std::abs(c.greenF() - g) <= tol &&
           std::abs(c.blueF() - b) <= tol;
}
inline bool isBackground(const QColor& c) {
    return near(c, 0.7, 0.8, 0.8, 0.02);
}

// The message of the exception f throws.
template <class F> std::string messageOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

// A quad's corners; a square in the plane z = 0, counter-clockwise seen from +Z.
using TestQuad = TQuadVerts;
inline TestQuad square(float x0, float y0, float x1, float y1) {
    return {Vec3{x0, y0, 0}, Vec3{x1, y0, 0}, Vec3{x1, y1, 0}, Vec3{x0, y1, 0}};
}

// The builders' call sequence for one object made of quads in face list 1, each quad's texture
// coordinates the unit square's corners.
inline void buildObject(int32_t& listId, const std::vector<TestQuad>& quads, const ColorF& colour,
                        bool selected, int32_t texId = -1, int32_t listCount = 1) {
    allocListId(listId);
    TRenderer* r = currentRenderer();
    r->initObject("obj");
    r->initList(faceListId(listId, 1));
    TTextureObj tex;
    tex.TexId = texId;
    r->setTexture(tex);
    r->setColor(colour);
    for (const TestQuad& q : quads)
        r->quads(q, texId >= 0, square(0, 0, 1, 1));
    r->endList();
    r->endObject(listId, listCount, selected);
}

inline void drawFrame() {
    beginFrame("");
    drawAllLists();
    finishFrame();
}
