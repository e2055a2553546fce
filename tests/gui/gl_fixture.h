// Offscreen OpenGL context and framebuffer for the scene and renderer tests, pixel helpers.
#pragma once

#include <QColor>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "model/unVectorCalc.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Each test gets a fresh compatibility context, a framebuffer with depth and an initialised scene.
class GlTest : public ::testing::Test {
  protected:
    static constexpr int W = 100;
    static constexpr int H = 100;

    void SetUp() override;
    void TearDown() override;

    // The framebuffer as an image (top row first).
    QImage grab() const;
    // Colour at x and y counted from the bottom, as OpenGL counts.
    static QColor pixel(const QImage& img, int x, int yFromBottom);
    // Window position (x, y from the bottom) of a world point under the current matrices.
    static void project(const Vec3& p, int& x, int& y);

    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;
};

// Streamed into a failure message: saves the image in the build directory and names the file.
struct ImageNote {
    const QImage& img;
    std::string name;
};
std::ostream& operator<<(std::ostream& out, const ImageNote& note);

// Colours in failure messages as 0..255 triplets.
void PrintTo(const QColor& c, std::ostream* out);

// Colour within tol (0..1) of (r, g, b).
bool near(const QColor& c, double r, double g, double b, double tol = 0.03);
bool isBackground(const QColor& c);

// The builders' call sequence for one object made of quads in one face list (k = 1).
struct TestQuad {
    Vec3 v[4];
    Vec3 t[4];
};
void buildObject(int32_t& listId, const std::vector<TestQuad>& quads, const ColorF& colour,
                 bool selected, int32_t texId = -1);
// A square in the plane z = 0, corners (x0, y0) .. (x1, y1), counter-clockwise seen from +Z.
TestQuad square(float x0, float y0, float x1, float y1, float z = 0);
// beginFrame, drawAllLists, finishFrame.
void drawFrame();
